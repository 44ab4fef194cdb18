# make test  - set up the machine, build both targets, run every test
# make demo  - set up, build, and show what the modules do
# make bench - benchmarks of the OS-free code
# make dist  - the release: Somnel-<version>-win32.zip (and its SHA-256 sum) and
#              somnel-tools_<version>_amd64.deb, in build/dist
# make install PREFIX=DIR - the native tools and their man pages under DIR
.PHONY: all setup native native-release win32 wintest-build test test-native test-windows \
  test-release dist install demo bench fuzz format clean
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

# The native tools as users get them: optimised, no sanitizers, man pages.
native-release: setup
	@cmake --preset native-release >/dev/null
	@cmake --build --preset native-release -j$$(nproc)

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

# The release as a user gets it: the zip unpacked and the quick start run
# from it in a fresh Wine prefix, the Debian package unpacked and its tools run.
test-release: dist wintest-build
	@echo "== the release as a user gets it =="
	@scripts/test-release $(DIST_DIR) $(WIN_TEST_PRESET)

test: test-native test-windows test-release
	@echo "make test: native, Windows and release tests passed; $(strip $(WIN_TEST_SUMMARY))"

VERSION = $(shell sed -n 's/^project(Somnel VERSION \([0-9.]*\) .*)$$/\1/p' CMakeLists.txt)
DIST_DIR = build/dist
PREFIX ?= /usr/local

# The win32 preset is the product's release configuration.
dist: win32 native-release
	@rm -rf $(DIST_DIR) && mkdir -p $(DIST_DIR)
	@cpack --config build/win32/CPackConfig.cmake -B $(CURDIR)/$(DIST_DIR) >/dev/null
	@cpack --config build/native-release/CPackConfig.cmake -B $(CURDIR)/$(DIST_DIR) >/dev/null
	@rm -rf $(DIST_DIR)/_CPack_Packages
	@cd $(DIST_DIR) && sha256sum Somnel-$(VERSION)-win32.zip >Somnel-$(VERSION)-win32.zip.sha256
	@cd $(DIST_DIR) && ls -l Somnel-$(VERSION)-win32.zip Somnel-$(VERSION)-win32.zip.sha256 \
	  somnel-tools_$(VERSION)_*.deb | awk '{ printf "make dist: %s (%d bytes)\n", $$9, $$5 }'

install: native-release
	@cmake --install build/native-release --prefix $(PREFIX)

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
