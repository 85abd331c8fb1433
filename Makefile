# The two commands a newcomer needs: `make run` and `make test`. The builds
# themselves are the presets in CMakePresets.json.
JOBS ?= $(shell nproc)
DEPS_STAMP := build/.deps-installed
# Larger than any window a test asks for: Wine keeps a window inside the screen.
XVFB := xvfb-run -a -s "-screen 0 1920x1200x24 -noreset -nolisten tcp"

.PHONY: all deps build build-sanitized run test bench clean deps-windows build-windows test-windows \
        deps-web web run-web test-web measure-web

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

# Windows, cross-built with mingw-w64: its libraries from Debian's sources
# (once, into build-windows/deps), its unit and gl tests under Wine, and the
# Linux build's end-to-end tests driving the Windows viewer under Wine. On a
# virtual display of its own, like the benchmark.
WINDOWS_VIEWER := $(CURDIR)/scripts/wine-run.sh --own-session $(CURDIR)/build-windows/orvane.exe

deps-windows:
	scripts/install-windows-deps.sh
	scripts/build-windows-deps.sh

# Wine's first start in a new prefix takes a while to set it up: done once
# here, not by the build's test discovery or by two tests at once.
build-windows: deps-windows
	cmake --preset windows
	test -d build-windows/wine || scripts/wine-run.sh wineboot --init >/dev/null 2>&1
	cmake --build --preset windows -j $(JOBS)

test-windows: build build-windows
	$(XVFB) ctest --preset windows -j $(JOBS)
	ORVANE_VIEWER="$(WINDOWS_VIEWER)" ctest --preset plain -L e2e

# The web: the same tree for WebAssembly and WebGL 2 with emscripten, its
# libraries from Debian's sources (once, into build-web/deps), the page and
# its run-time data in build-web/site; the test drives Debian's Chromium.
WEB_PORT ?= 8021

deps-web:
	scripts/install-web-deps.sh
	scripts/build-web-deps.sh

web: deps-web
	cmake --preset web
	cmake --build --preset web -j $(JOBS)

# Only on this machine (127.0.0.1); another port: make run-web WEB_PORT=8080.
run-web: web
	node web/serve.mjs build-web/site $(WEB_PORT)

test-web: web
	ctest --preset web

# Speed and sizes against the native build on this machine; judges nothing.
measure-web: build web
	$(XVFB) node tests/web/measure-speed.mjs

clean:
	rm -rf build build-asan build-bench build-windows build-web
