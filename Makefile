# make       installs what is missing, builds, runs the example
# make test  builds and runs every test through ctest
BUILD ?= build
JOBS  ?= $(shell nproc)
PYTHON := /usr/bin/python3

# Debian packages the build, the tests and the benchmarks need.
PACKAGES := cmake g++ make protobuf-compiler libprotobuf-dev python3-dev \
            python3-protobuf python3-pytest libgtest-dev libbenchmark-dev

.PHONY: all deps build example test

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
