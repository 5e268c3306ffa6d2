# The two commands of the README: `make run` and `make test`. Everything installs itself first.
BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 120
JOBS       ?= $(shell nproc)
EXAMPLE    ?= examples/shear-wall.fem
CMAKE_GEN  := -G Ninja

.PHONY: all deps configure build run test sanitize fuzz bench format clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@scripts/run-example $(BUILD)/torva_fem $(EXAMPLE)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# AddressSanitizer + UndefinedBehaviorSanitizer build of the core and its tests.
sanitize: deps
	@cmake -S . -B $(ASAN_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DTORVA_CORE_ONLY=ON -DTORVA_SANITIZE=ON >/dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)
	@cd $(ASAN_BUILD) && ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
		ctest --output-on-failure -j $(JOBS)

# Every fuzz target for its share of FUZZ_SECONDS, on a core instrumented for coverage and the
# sanitizers; saved crashers are replayed first; each target's coverage is printed (fuzz/run).
fuzz: deps
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DTORVA_CORE_ONLY=ON -DTORVA_FUZZ=ON -DTORVA_BENCH=OFF >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_model_file fuzz_model_json fuzz_pipeline fuzz_options fuzz_study \
		make_fuzz_seeds
	@fuzz/run $(FUZZ_BUILD) $(FUZZ_SECONDS)

bench: configure
	@cmake --build $(BUILD) -j $(JOBS) --target benches
	@for b in $(BUILD)/bench/*Bench; do echo "== $$b"; $$b; done

format:
	@git ls-files '*.h' '*.cpp' | xargs clang-format -i

clean:
	@rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
