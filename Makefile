# Thin wrapper over CMake. `make run` and `make test` are the two set-up commands.
BUILD      ?= build
JOBS       ?= $(shell nproc)
CMAKE_ARGS ?=
comma      := ,

configure = cmake -S . -B $(1) -G Ninja -DCMAKE_BUILD_TYPE=$(2) $(CMAKE_ARGS) $(3)
# The static SQLite of scripts/build-sqlite-mingw in folder $(1), for the Windows builds.
mingw_sqlite = -DSQLite3_INCLUDE_DIR=$(1)/include -DSQLite3_LIBRARY=$(1)/lib/libsqlite3.a

.PHONY: deps build run package test test-asan test-tsan test-windows test-windows-core check-windows-gui fuzz bench-program clean

deps:
	@scripts/install-deps build

build: deps
	@$(call configure,$(BUILD),Release)
	cmake --build $(BUILD) -j $(JOBS)

# Only what it runs: the tests and benchmarks are for `make test`.
run: deps
	@$(call configure,$(BUILD),Release)
	cmake --build $(BUILD) -j $(JOBS) --target tellvane tellvane-send
	@scripts/run-tellvane $(BUILD)

# The Debian package, from a build of only what it holds: no tests or
# benchmarks (the compressed manual pages and changelog are part of it).
package: deps
	@$(call configure,build-package,Release,-DTELLVANE_TESTS=OFF -DTELLVANE_BENCH=OFF)
	cmake --build build-package -j $(JOBS) --target tellvane tellvane-send deb_compressed_docs
	cd build-package && cpack -G DEB >/dev/null && ls $(CURDIR)/build-package/tellvane_*.deb

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# The same tests built with AddressSanitizer and UndefinedBehaviorSanitizer.
test-asan: deps
	@$(call configure,build-asan,Debug,-DTELLVANE_SANITIZE=address$(comma)undefined -DTELLVANE_BENCH=OFF)
	cmake --build build-asan -j $(JOBS)
	ctest --test-dir build-asan --output-on-failure -j $(JOBS) -LE nosan

# The threaded code (intake) under ThreadSanitizer.
test-tsan: deps
	@$(call configure,build-tsan,Debug,-DTELLVANE_SANITIZE=thread -DTELLVANE_BENCH=OFF -DTELLVANE_GUI=OFF)
	cmake --build build-tsan -j $(JOBS)
	ctest --test-dir build-tsan --output-on-failure -j $(JOBS) -L threads

# The whole program for Windows, its windows included, cross-compiled with
# mingw-w64 against a static Qt and SQLite built from Debian's source
# (cached; the first run builds them) and packaged; every test program, the
# program itself and its installer run under Wine in a fresh prefix, on a
# private display.
test-windows:
	@scripts/install-deps windows
	@qt=$$(scripts/build-qt-mingw) && sqlite=$$(scripts/build-sqlite-mingw) && $(call configure,build-win,Release,-DCMAKE_TOOLCHAIN_FILE=$$qt/lib/cmake/Qt6/qt.toolchain.cmake -DQT_CHAINLOAD_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64.cmake $(call mingw_sqlite,$$sqlite) -DTELLVANE_GUI=ON -DTELLVANE_BENCH=OFF)
	cmake --build build-win -j $(JOBS)
	cd build-win && cpack -G NSIS >/dev/null && cpack -G ZIP >/dev/null && ls tellvane-*-win64.*
	scripts/wine-tests build-win --output-on-failure -j $(JOBS) --timeout 600

# The quick Windows check without Qt: the core, the platform layer, the
# sender and their tests.
test-windows-core:
	@scripts/install-deps windows
	@sqlite=$$(scripts/build-sqlite-mingw) && $(call configure,build-win-core,Release,-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake $(call mingw_sqlite,$$sqlite) -DTELLVANE_GUI=OFF -DTELLVANE_BENCH=OFF)
	cmake --build build-win-core -j $(JOBS)
	scripts/wine-tests build-win-core --output-on-failure -j $(JOBS) --timeout 300

# Every Qt source of the Windows build compiled for Windows, syntax only,
# against Debian's Qt headers: quick, and needs no Qt for mingw.
check-windows-gui:
	@scripts/install-deps build windows
	@JOBS=$(JOBS) scripts/check-windows-gui build-wincheck

# libFuzzer targets under ASan/UBSan, FUZZ_SECONDS each.
FUZZ_SECONDS ?= 60
fuzz: deps
	@CC=clang-14 CXX=clang++-14 $(call configure,build-fuzz,Debug,-DTELLVANE_FUZZ=ON "-DCMAKE_CXX_FLAGS_DEBUG=-g -O1" -DTELLVANE_GUI=OFF -DTELLVANE_TESTS=OFF -DTELLVANE_BENCH=OFF)
	cmake --build build-fuzz -j $(JOBS)
	scripts/run-fuzzers build-fuzz $(FUZZ_SECONDS)

# The built program against a minimal server, and its drain into a full store.
bench-program:
	scripts/bench-program $(BUILD)

clean:
	rm -rf build build-package build-asan build-tsan build-fuzz build-win build-win-core build-wincheck
