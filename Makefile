# The two commands a newcomer needs: `make run` and `make test`.
BUILD_DIR ?= build
SANITIZED_DIR ?= build-asan
JOBS ?= 2
export JOBS

.PHONY: all deps build build-sanitized run test clean

all: build

deps:
	@scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD_DIR) -j $(JOBS)

# The same sources with AddressSanitizer and UndefinedBehaviorSanitizer.
build-sanitized: deps
	cmake -S . -B $(SANITIZED_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANE_SANITIZE=ON
	cmake --build $(SANITIZED_DIR) -j $(JOBS)

run: build
	@scripts/run-viewer.sh

test: build build-sanitized
	scripts/with-display.sh scripts/run-tests.sh $(BUILD_DIR) $(SANITIZED_DIR)

clean:
	rm -rf $(BUILD_DIR) $(SANITIZED_DIR)
