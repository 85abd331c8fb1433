# The two commands a newcomer needs: `make run` and `make test`.
BUILD_DIR ?= build
SANITIZED_DIR ?= build-asan
BENCH_DIR ?= build-bench
JOBS ?= 2
export JOBS

.PHONY: all deps build build-sanitized run test bench clean

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

# The benchmark, built with release flags in a folder of its own and always
# run on a private virtual display, so its figures are taken under the same
# conditions everywhere. It rewrites bench/results.md and the README's table.
bench: deps
	cmake -S . -B $(BENCH_DIR) -DCMAKE_BUILD_TYPE=Release -DORVANE_BENCH=ON -DORVANE_TESTS=OFF
	cmake --build $(BENCH_DIR) -j $(JOBS)
	env -u DISPLAY scripts/with-display.sh $(BENCH_DIR)/bench/orvane_bench

clean:
	rm -rf $(BUILD_DIR) $(SANITIZED_DIR) $(BENCH_DIR)
