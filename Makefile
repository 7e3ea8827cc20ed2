# Two entry points over CMake; both install what a fresh Debian machine lacks, then build.
#   make run    builds and runs the program (under Wine, on a virtual display when there is none)
#   make test   builds and runs every test
#   make fuzz   fuzzes the portable parsers natively with clang (FUZZ_SECONDS each, default 120)
BUILD ?= build
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 120
# Tests and benchmarks run on a virtual display of their own, as `make run` does without one.
XVFB := tools/wine/own-display

.PHONY: all setup configure build run test bench fuzz clean

all: build

setup:
	@tools/setup.sh $(BUILD)

configure: setup
	@test -f $(BUILD)/build.ninja || cmake -S . -B $(BUILD) -G Ninja \
		-DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64-x86_64.cmake \
		-DCMAKE_BUILD_TYPE=Release

build: configure
	@cmake --build $(BUILD) --parallel $(JOBS)

run: build
	@tools/run.sh $(BUILD)

test: build
	@$(XVFB) ctest --test-dir $(BUILD) --parallel $(JOBS) --output-on-failure --no-tests=error

bench: build
	@$(XVFB) cmake --build $(BUILD) --target bench

fuzz:
	@tools/fuzz/markup.sh $(FUZZ_SECONDS) $(BUILD)
	@tests/plugin/fuzz/run.sh $(FUZZ_SECONDS) $(BUILD)/fuzz
	@FUZZ_OUT=$(BUILD)/fuzz/value-text tests/flutter/fuzz/run_value_text_fuzzer.sh $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD)
