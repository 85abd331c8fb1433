# The two commands a newcomer needs: `make run` and `make test`.
BUILD_DIR ?= build
JOBS ?= 2

.PHONY: all deps build run test clean

all: build

deps:
	@scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	@scripts/run-viewer.sh

test: build
	scripts/with-display.sh ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD_DIR)
