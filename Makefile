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
	@$(BUILD)/bench/ledger_bench

# libFuzzer, built with clang: make fuzz FUZZ_SECONDS=300 [FUZZ_TARGET=sheets_fuzz]
# conversions_fuzz: the text <-> number conversions; sheets_fuzz: the three sheets driven by
# writes, calculations and clears. Each has its seed corpus, which ctest replays.
FUZZ_SECONDS ?= 60
FUZZ_TARGET ?= conversions_fuzz
FUZZ_SEEDS = $(if $(filter sheets_fuzz,$(FUZZ_TARGET)),fuzz/sheets_corpus,fuzz/corpus)
fuzz: deps
	@CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUENBY_FUZZ_ONLY=ON >/dev/null
	@cmake --build build-fuzz -j $(JOBS) --target $(FUZZ_TARGET)
	@mkdir -p build-fuzz/$(FUZZ_TARGET)-corpus
	@build-fuzz/fuzz/$(FUZZ_TARGET) -max_total_time=$(FUZZ_SECONDS) -jobs=$(JOBS) -workers=$(JOBS) \
	  build-fuzz/$(FUZZ_TARGET)-corpus $(FUZZ_SEEDS)

clean:
	rm -rf $(BUILD) build-fuzz
