# Thin wrapper over CMake. `make run` and `make test` are the two set-up commands.
BUILD      ?= build
JOBS       ?= $(shell nproc)
CMAKE_ARGS ?=
comma      := ,

configure = cmake -S . -B $(1) -G Ninja -DCMAKE_BUILD_TYPE=$(2) $(CMAKE_ARGS) $(3) >/dev/null

.PHONY: deps build run test test-asan test-tsan test-windows fuzz clean

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

# The Windows build (everything but the Qt windows), cross-compiled with
# mingw-w64; every test program runs under Wine in a fresh prefix.
test-windows:
	@scripts/install-deps windows
	@$(call configure,build-win,Release,-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DTELLVANE_GUI=OFF -DTELLVANE_BENCH=OFF)
	cmake --build build-win -j $(JOBS)
	scripts/wine-tests build-win --output-on-failure -j $(JOBS) --timeout 300

# libFuzzer targets under ASan/UBSan, FUZZ_SECONDS each.
FUZZ_SECONDS ?= 60
fuzz: deps
	@CC=clang-14 CXX=clang++-14 $(call configure,build-fuzz,Debug,-DTELLVANE_FUZZ=ON "-DCMAKE_CXX_FLAGS_DEBUG=-g -O1" -DTELLVANE_GUI=OFF -DTELLVANE_TESTS=OFF -DTELLVANE_BENCH=OFF)
	cmake --build build-fuzz -j $(JOBS)
	scripts/run-fuzzers build-fuzz $(FUZZ_SECONDS)

clean:
	rm -rf build build-asan build-tsan build-fuzz build-win
