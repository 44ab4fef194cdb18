# make test  - set up the machine, build both targets, run every test
# make demo  - set up, build, and show what the modules do
# make bench - benchmarks of the OS-free code
.PHONY: all setup native win32 wintest-build test test-native test-windows demo bench fuzz format clean
MAKEFLAGS += --no-print-directory

all: native win32

setup:
	@scripts/setup

native: setup
	@cmake --preset native >/dev/null
	@cmake --build --preset native -j$$(nproc)

# The product. Its tests run under 32-bit Wine where the host can execute
# 32-bit code; elsewhere the same tests are built for 64-bit Windows and run
# under 64-bit Wine.
win32: setup
	@cmake --preset win32 >/dev/null
	@cmake --build --preset win32 -j$$(nproc)

WIN_TEST_PRESET = $(shell scripts/can-run-32bit && echo win32 || echo win64)

wintest-build: win32
	@if [ "$(WIN_TEST_PRESET)" != win32 ]; then \
	  cmake --preset $(WIN_TEST_PRESET) >/dev/null && \
	  cmake --build --preset $(WIN_TEST_PRESET) -j$$(nproc); fi

test-native: native
	@echo "== native tests (ASan, UBSan) =="
	@ctest --preset native -j$$(nproc)

test-windows: wintest-build
	@echo "== Windows tests under Wine ($(WIN_TEST_PRESET) build) =="
	@scripts/wine-run --prefix build/$(WIN_TEST_PRESET)/wineprefix --init
	@ctest --preset $(WIN_TEST_PRESET) -j2
	@if [ "$(WIN_TEST_PRESET)" != win32 ]; then \
	  echo "== win32 product checks that need no Wine =="; \
	  ctest --preset win32 -L no-wine; fi

WIN_TEST_SUMMARY = $(if $(filter win32,$(WIN_TEST_PRESET)),\
  Windows tests ran from the win32 product build under 32-bit Wine,\
  Windows tests ran from the win64 build under 64-bit Wine because this machine cannot start 32-bit code; the win32 product passed its checks that need no Wine)

test: test-native test-windows
	@echo "make test: native and Windows tests passed; $(strip $(WIN_TEST_SUMMARY))"

demo: wintest-build
	@scripts/demo $(WIN_TEST_PRESET)

# Benchmarks run on an optimised native build without sanitizers.
bench: setup
	@scripts/bench-pictures
	@scripts/bench-gifencoder
	@scripts/bench-reduce
	@scripts/bench-gif-quality

# Bounded fuzzing runs of the parsers, the encoder and colour reduction (libFuzzer, clang).
fuzz: setup
	@scripts/fuzz-xdib 60
	@scripts/fuzz-kmvreader 60
	@scripts/fuzz-gifencoder 60
	@scripts/fuzz-xcube 60

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
