# Two commands for a fresh Debian 12 machine: `make run` and `make test`.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)

.PHONY: deps configure build run test bench clean format test-sanitize fuzz

deps:
	./scripts/install-deps

configure: deps
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	./$(BUILD_DIR)/app/volmarin

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

# The Debian package (CPack), written into $(BUILD_DIR).
.PHONY: package
package: build
	cd $(BUILD_DIR) && cpack -G DEB
	@echo "Debian package: $$(realpath $$(ls -t $(BUILD_DIR)/volmarin_*.deb | head -1))"

bench: build
	cmake --build $(BUILD_DIR) -j $(JOBS) --target volmarin-bench
	@for b in $$(find $(BUILD_DIR)/bench -maxdepth 1 -type f -executable -name 'bench_*' | sort); do \
		echo "== $$(basename $$b)"; QT_QPA_PLATFORM=offscreen $$b || exit 1; done

# The whole suite again with AddressSanitizer and UndefinedBehaviorSanitizer, in its own
# folder. Leak reports from inside system libraries are suppressed (tests/sanitize).
SANITIZE_DIR ?= build-sanitize
test-sanitize: export ASAN_OPTIONS = detect_leaks=1:detect_stack_use_after_return=1:fast_unwind_on_malloc=0
test-sanitize: export LSAN_OPTIONS = suppressions=$(CURDIR)/tests/sanitize/lsan.supp:print_suppressions=0
test-sanitize: export UBSAN_OPTIONS = halt_on_error=1:print_stacktrace=1
test-sanitize: deps
	cmake -S . -B $(SANITIZE_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVOLMARIN_SANITIZE=ON
	cmake --build $(SANITIZE_DIR) -j $(JOBS)
	cd $(SANITIZE_DIR) && ctest --output-on-failure -j $(JOBS)

# The decoder fuzzer (clang, libFuzzer) for FUZZ_SECONDS on one core; findings land in
# $(FUZZ_DIR)/findings, the grown corpus in $(FUZZ_DIR)/corpus.
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
fuzz: deps
	cmake -S . -B $(FUZZ_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DVOLMARIN_FUZZ=ON
	cmake --build $(FUZZ_DIR) -j $(JOBS) --target decoder_fuzzer
	./fuzz/run-fuzzer.sh $(FUZZ_DIR)/fuzz/decoder_fuzzer $(FUZZ_DIR) $(FUZZ_SECONDS)

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD_DIR)
