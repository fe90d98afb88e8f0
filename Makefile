# make       installs what is missing, builds, runs the example
# make test  builds and runs every test through ctest
# make bench builds and runs the benchmarks: C++ and Python side by side
BUILD ?= build
JOBS  ?= $(shell nproc)
PYTHON := /usr/bin/python3

# Debian packages the build, the tests and the benchmarks need.
PACKAGES := cmake g++ make protobuf-compiler libprotobuf-dev python3-dev \
            python3-protobuf python3-pytest libgtest-dev libbenchmark-dev

.PHONY: all deps build example test bench

all: build example

deps:
	@missing=$$(for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${db:Status-Status}\n' $$p 2>/dev/null | grep -qx installed || echo $$p; \
	done); \
	if [ -n "$$missing" ]; then \
	  echo "installing:" $$missing; \
	  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing >/dev/null; \
	fi

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS)

example: build
	PYTHONPATH=$(BUILD) $(PYTHON) examples/heartbeat.py

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

bench: build
	PYTHONPATH=$(BUILD) $(PYTHON) bench/bench.py --cpp-bench $(BUILD)/bench/skelvar_bench \
	  --descriptor-set $(BUILD)/skelvar.desc --payloads $(BUILD)/bench/payloads

# Sanitizer and fuzzing builds, each in a tree of its own:
# make sanitize  every test under AddressSanitizer and UndefinedBehaviorSanitizer
# make tsan      the C++ suites under ThreadSanitizer
# make fuzz      the fuzz target over every message type for FUZZ_SECONDS
#                (FUZZ_JOBS processes, each logging to $(FUZZ_BUILD)/fuzz/fuzz-N.log
#                when more than one; findings in $(FUZZ_BUILD)/fuzz/crashes)
ASAN_BUILD   ?= build-asan
TSAN_BUILD   ?= build-tsan
FUZZ_BUILD   ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_JOBS    ?= 1

.PHONY: sanitize tsan fuzz

sanitize: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSKELVAR_SANITIZE=address,undefined
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	UBSAN_OPTIONS=print_stacktrace=1 ctest --test-dir $(ASAN_BUILD) --output-on-failure -j $(JOBS)

# ThreadSanitizer builds with clang: g++ announces it to the protobuf headers
# (__SANITIZE_THREAD__), which then give map fields a layout that the
# system's libprotobuf was not built with.
tsan: PACKAGES += clang libclang-rt-14-dev
tsan: deps
	cmake -S . -B $(TSAN_BUILD) -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DSKELVAR_SANITIZE=thread
	cmake --build $(TSAN_BUILD) -j $(JOBS)
	TSAN_OPTIONS=halt_on_error=1 ctest --test-dir $(TSAN_BUILD) --output-on-failure -j $(JOBS) -R '^cpp_|^leak_check$$'

# The entropic schedule of this libFuzzer spends most of its time on its own
# bookkeeping with as many coverage features as the generated code has: the
# plain schedule runs about ten times as many inputs.
fuzz: PACKAGES += clang libclang-rt-14-dev
fuzz: deps
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DSKELVAR_SANITIZE=fuzzer-no-link,address,undefined
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target message_fuzzer fuzz_seeds
	cd $(FUZZ_BUILD)/fuzz && mkdir -p corpus crashes && \
	  ./message_fuzzer -entropic=0 -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 \
	  $(if $(filter-out 1,$(FUZZ_JOBS)),-jobs=$(FUZZ_JOBS) -workers=$(FUZZ_JOBS)) \
	  -artifact_prefix=crashes/ corpus seeds
