# Thin front over CMake. `make test` takes a fresh Debian 12 machine from clone to green tests.
SHELL := /bin/bash
B := build
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 60

.PHONY: all test deps native win32 fuzz bench size demo format clean

all: native win32

deps:
	@tools/install-deps.sh

$(B)/native/build.ninja: | deps
	cmake -S . -B $(B)/native -G Ninja -DQRT_SANITIZE=ON
$(B)/win32/build.ninja: | deps
	cmake -S . -B $(B)/win32 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw32.cmake

native: $(B)/native/build.ninja
	cmake --build $(B)/native -j $(JOBS)
win32: $(B)/win32/build.ninja
	cmake --build $(B)/win32 -j $(JOBS)

# Every test of both builds in one ctest run: native (sanitizers, corpus replays) and win32 under Wine.
test: deps native win32
	@tools/run-tests.sh $(B)

fuzz: deps
	cmake -S . -B $(B)/fuzz -G Ninja -DQRT_FUZZ=ON -DQRT_TESTS=OFF \
	    -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(B)/fuzz -j $(JOBS)
	@tools/run-fuzz.sh $(B)/fuzz $(FUZZ_SECONDS)

bench: deps $(B)/win32/build.ninja
	cmake -S . -B $(B)/bench -G Ninja -DQRT_BENCH=ON -DQRT_TESTS=OFF -DCMAKE_BUILD_TYPE=Release
	cmake --build $(B)/bench -j $(JOBS)
	$(B)/bench/qrt-bench --benchmark_repetitions=9 --benchmark_min_time=0.2 --benchmark_enable_random_interleaving=true \
	    --benchmark_report_aggregates_only=true
	@bench/quilpack.sh $(B)/bench/quilpack fuzz/corpus/pe-reader/mingw-gui.exe
	@bench/extract.sh $(B)

# QuilStub.exe's size and what each object costs.
size: $(B)/win32/build.ninja
	cmake --build $(B)/win32 -j $(JOBS) --target quilstub-exe
	@tools/size-report.py $(B)/win32/QuilStub.exe $(B)/win32/QuilStub.map

# The main job end to end: build, pack the sample package, install and extract it under Wine.
demo: deps $(B)/native/build.ninja $(B)/win32/build.ninja
	@tools/demo.sh $(B)

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	-tools/wine-prefix.sh stop
	rm -rf $(B)
