# The two commands of the README: `make test` and `make demo`. Both install what they need.
BUILD      ?= build
BUILD_ASAN ?= build-asan
JOBS       ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps build test test-plain test-asan demo demo-headless bench fuzz format clean

all: build

deps:
	@bash scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DROTARYN_WERROR=ON $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

test-plain: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-asan: deps
	@cmake -S . -B $(BUILD_ASAN) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DROTARYN_SANITIZE=ON -DROTARYN_WERROR=ON \
	  -DROTARYN_BENCH=OFF $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD_ASAN) -j $(JOBS)
	@cd $(BUILD_ASAN) && ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	  ctest --output-on-failure -j $(JOBS)

test: test-plain test-asan

# The host's window on a demo root (under Xvfb when there is no display).
demo: build
	@bash scripts/demo_window.sh $(BUILD)

# The same demo root without a window, printing each server's map and game state.
demo-headless: build
	@bash scripts/demo.sh $(BUILD)

bench: build
	@bash scripts/bench.sh $(BUILD)

# Every fuzz target with libFuzzer for FUZZ_SECONDS each (default 60); `make test` only replays
# the seed corpora in fuzz/corpus.
fuzz:
	@bash scripts/fuzz.sh build-fuzz

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(BUILD_ASAN)
