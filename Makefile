# The two commands a newcomer needs: `make run` and `make test`. The builds
# themselves are the presets in CMakePresets.json.
JOBS ?= $(shell nproc)
DEPS_STAMP := build/.deps-installed
XVFB := xvfb-run -a -s "-screen 0 1600x1000x24 -noreset -nolisten tcp"

.PHONY: all deps build build-sanitized run test bench clean

all: build

# Installing is checked once, not before every build.
deps: $(DEPS_STAMP)
$(DEPS_STAMP): scripts/install-deps.sh
	scripts/install-deps.sh
	@mkdir -p $(@D) && touch $@

build: deps
	cmake --preset plain
	cmake --build --preset plain -j $(JOBS)

build-sanitized: deps
	cmake --preset sanitized
	cmake --build --preset sanitized -j $(JOBS)

run: build
	@scripts/run-viewer.sh

# The tests that need a display bring their own (tests/support/own_display.sh).
test: build build-sanitized
	ctest --preset plain -j $(JOBS) && ctest --preset sanitized -j $(JOBS)

# Always on a virtual display of its own, so that its figures are taken under
# the same conditions everywhere. Writes nothing outside build-bench/.
bench: deps
	cmake --preset bench
	cmake --build --preset bench -j $(JOBS)
	$(XVFB) build-bench/bench/orvane_bench --benchmark_out=$(CURDIR)/build-bench/bench.json

clean:
	rm -rf build build-asan build-bench
