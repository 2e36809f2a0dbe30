# SPDX-License-Identifier: MIT
# Every target installs what it needs first, so these work on a fresh Debian 12.
BUILD ?= build
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CTEST_FLAGS ?= --output-on-failure

.PHONY: all deps configure build run test test-quick bench bench-compare fuzz-smoke fuzz-long clean

all: build

deps:
	@bash scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHG_WERROR=ON $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

# The saver on the bundled terrain: in a window when a display is present,
# otherwise frames drawn offscreen into out/. Only the program is built.
run: configure
	@cmake --build $(BUILD) -j $(JOBS) --target hillglimmer
	@bash scripts/run-saver $(BUILD)/hillglimmer

# The program and the test programs, not the benchmarks.
test: configure
	@cmake --build $(BUILD) -j $(JOBS) --target hillglimmer hg_tests
	@cd $(BUILD) && ctest $(CTEST_FLAGS) -j $(JOBS)

# The edit-build-test loop: the tests labelled quick (seconds, not minutes).
test-quick: configure
	@cmake --build $(BUILD) -j $(JOBS) --target hillglimmer hg_tests
	@cd $(BUILD) && ctest $(CTEST_FLAGS) -j $(JOBS) -L quick

bench: configure
	@cmake --build $(BUILD) -j $(JOBS) --target hg_bench
	@$(BUILD)/bench/hg_bench

# The same benchmarks from two builds, alternately: make bench-compare
# OLD=other-build [NEW=build] [FILTER=regex] [ROUNDS=5]
bench-compare: configure
	@cmake --build $(BUILD) -j $(JOBS) --target hg_bench
	@bash scripts/bench-compare $(OLD) $(or $(NEW),$(BUILD)) '$(or $(FILTER),.)' $(or $(ROUNDS),5)

fuzz-smoke: deps
	@cmake -S . -B $(BUILD)-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHG_WERROR=ON -DCMAKE_CXX_COMPILER=clang++ \
		-DHG_FUZZ=ON -DHG_GUI=OFF -DHG_BENCH=OFF -DHG_SANITIZE=ON >/dev/null
	@cmake --build $(BUILD)-fuzz -j $(JOBS)
	@bash scripts/fuzz-smoke $(BUILD)-fuzz

# Every target for FUZZ_SECONDS (300) each, one at a time, keeping its
# corpus in $(BUILD)-fuzz/corpus-<target>: make fuzz-long [FUZZ_SECONDS=90] [FUZZ_RUNS=1000000]
fuzz-long: deps
	@cmake -S . -B $(BUILD)-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHG_WERROR=ON -DCMAKE_CXX_COMPILER=clang++ \
		-DHG_FUZZ=ON -DHG_GUI=OFF -DHG_BENCH=OFF -DHG_SANITIZE=ON >/dev/null
	@cmake --build $(BUILD)-fuzz -j $(JOBS)
	@FUZZ_SECONDS=$(or $(FUZZ_SECONDS),300) bash scripts/fuzz-long $(BUILD)-fuzz

clean:
	rm -rf $(BUILD) $(BUILD)-asan $(BUILD)-fuzz

# Installs as a packaged XScreenSaver hack would be, under PREFIX (DESTDIR
# stages it elsewhere): make install PREFIX=/usr/local
PREFIX ?= /usr/local
.PHONY: install package
install: build
	@cmake --install $(BUILD) --prefix $(PREFIX)

# The Debian package, written to $(BUILD)/package/.
package: build
	@cd $(BUILD) && cpack -G DEB
