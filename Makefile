# Two entry points on a fresh Debian 12 machine:
#   make run    install what is missing, build, start Quenby
#   make test   install what is missing, build, run every test through ctest
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: deps build run test bench fuzz clean

deps:
	@scripts/install-deps

build: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@scripts/run

test: build
	@ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

bench: build
	@$(BUILD)/bench/core_bench
	@$(BUILD)/bench/store_bench

# libFuzzer over the conversions, built with clang: make fuzz FUZZ_SECONDS=300
FUZZ_SECONDS ?= 60
fuzz: deps
	@CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUENBY_FUZZ_ONLY=ON >/dev/null
	@cmake --build build-fuzz -j $(JOBS) --target conversions_fuzz
	@mkdir -p build-fuzz/corpus
	@build-fuzz/fuzz/conversions_fuzz -max_total_time=$(FUZZ_SECONDS) -jobs=$(JOBS) -workers=$(JOBS) \
	  build-fuzz/corpus fuzz/corpus

clean:
	rm -rf $(BUILD) build-fuzz
