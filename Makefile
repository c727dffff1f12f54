# Two commands on a fresh Debian 12 machine: `make test` and `make demo`.
JOBS ?= $(shell nproc)

.PHONY: deps build test asan-test bench demo clean

deps:
	./scripts/install-deps.sh

build: deps
	cmake --preset default
	cmake --build --preset default -j $(JOBS)

test: build
	ctest --preset default -j $(JOBS)

# The command-line host paints its built-in demo picture into demo.png.
demo: build
	./build/default/tools/drovane/drovane demo demo.png

asan-test: deps
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan -j $(JOBS)

bench:
	./scripts/install-deps.sh --bench
	cmake --preset bench
	cmake --build --preset bench -j $(JOBS)
	./build/bench/bench/drovane_bench

clean:
	rm -rf build
