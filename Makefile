# ringdate: build, run and test. The Debian packages the work needs are listed once, here.
# Building and running the program:
BUILD_PACKAGES := g++ cmake make pkg-config libplplot-dev plplot-driver-xwin libedit-dev libboost-dev
# Tests, benchmarks and fuzzing (GoogleTest, Google Benchmark, the virtual screen of the plot
# tests and its tools, clang with its sanitizer and fuzzer runtimes):
TEST_PACKAGES := libgtest-dev libmd-dev libbenchmark-dev xvfb xauth x11-apps imagemagick clang libclang-rt-14-dev
# Format check:
LINT_PACKAGES := clang-format

BUILD := build
ASAN  := build-asan
FUZZ  := build-fuzz
TSAN  := build-tsan
FUZZ_SECONDS ?= 60
JOBS  ?= 2

.PHONY: all program run deps test-deps test test-plain test-asan test-tsan bench fuzz lint clean $(BUILD)/ringdate

all: program

# Installs the missing ones of the packages named (as root), or names them and stops.
define install_missing
	@missing=""; for p in $(1); do dpkg -s $$p >/dev/null 2>&1 || missing="$$missing $$p"; done; \
	if [ -n "$$missing" ]; then \
	  if [ "$$(id -u)" = 0 ]; then \
	    echo "Installing:$$missing"; \
	    (apt-get update -qq || true) && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing; \
	  else \
	    echo "Missing Debian packages:$$missing"; echo "Install them with: sudo apt-get install$$missing"; exit 1; \
	  fi; \
	fi
endef

deps:
	$(call install_missing,$(BUILD_PACKAGES))

test-deps: deps
	$(call install_missing,$(TEST_PACKAGES))

# The program and the libraries it links, nothing else. Warnings stop the build only when
# RINGDATE_WERROR is on (make test turns it on).
program: deps
	@[ -f $(BUILD)/CMakeCache.txt ] || cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	cmake --build $(BUILD) --target ringdate -j $(JOBS)

$(BUILD)/ringdate: program

run: program
	cd examples && ../$(BUILD)/ringdate

# Everything (program, tests, benchmarks) with warnings as errors, then every test.
test-plain: test-deps
	@[ -f $(BUILD)/CMakeCache.txt ] || cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	cmake -S . -B $(BUILD) -DRINGDATE_WERROR=ON >/dev/null
	cmake --build $(BUILD) -j $(JOBS)
	cmake --build $(BUILD) --target benchmarks -j $(JOBS)
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-asan: test-deps
	@[ -f $(ASAN)/CMakeCache.txt ] || cmake -S . -B $(ASAN) -DCMAKE_BUILD_TYPE=Debug -DRINGDATE_SANITIZE=ON >/dev/null
	cmake -S . -B $(ASAN) -DRINGDATE_WERROR=ON >/dev/null
	cmake --build $(ASAN) -j $(JOBS)
	cd $(ASAN) && ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

# The test programs of the units that spread work over threads, under ThreadSanitizer, with
# four threads whatever the machine has (the plot and session tests draw and run on one).
TSAN_TESTS := core detrend xdate formats main app
test-tsan: test-deps
	cmake -S . -B $(TSAN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRINGDATE_TSAN=ON -DRINGDATE_WERROR=ON >/dev/null
	cmake --build $(TSAN) -j $(JOBS) $(foreach t,$(TSAN_TESTS),--target $(t)_tests)
	cd $(TSAN) && for t in $(TSAN_TESTS); do \
	  echo "== $${t}_tests (ThreadSanitizer, 4 threads)"; \
	  RINGDATE_THREADS=4 TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 tests/$${t}_tests --gtest_brief=1 || exit 1; \
	done

test: test-plain test-asan test-tsan

bench: test-deps program
	cmake --build $(BUILD) --target benchmarks -j $(JOBS)
	@for b in $(BUILD)/bench/*_bench; do echo "== $$b"; $$b; done

# Every fuzz harness for FUZZ_SECONDS each (clang, libFuzzer, ASan+UBSan); any finding fails.
fuzz: test-deps
	@[ -f $(FUZZ)/CMakeCache.txt ] || cmake -S . -B $(FUZZ) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ -DRINGDATE_FUZZ=ON >/dev/null
	cmake --build $(FUZZ) --target fuzzers -j $(JOBS)
	sh fuzz/run.sh $(FUZZ) $(FUZZ_SECONDS)

# The tracked C++ files against the committed .clang-format; nothing is changed.
lint:
	$(call install_missing,$(LINT_PACKAGES))
	git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror

clean:
	rm -rf $(BUILD) $(ASAN) $(TSAN)
