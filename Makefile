# ringdate: build, run and test. The Debian packages the build needs are listed once, here.
PACKAGES := g++ cmake make pkg-config libgtest-dev libbenchmark-dev libplplot-dev plplot-driver-xwin libedit-dev xvfb xauth clang libclang-rt-14-dev x11-apps imagemagick

BUILD := build
ASAN  := build-asan
FUZZ  := build-fuzz
FUZZ_SECONDS ?= 60
JOBS  ?= 2

.PHONY: all deps run test test-plain test-asan bench fuzz clean $(BUILD)/ringdate

all: $(BUILD)/ringdate

deps:
	@missing=""; for p in $(PACKAGES); do dpkg -s $$p >/dev/null 2>&1 || missing="$$missing $$p"; done; \
	if [ -n "$$missing" ]; then \
	  if [ "$$(id -u)" = 0 ]; then \
	    echo "Installing:$$missing"; \
	    (apt-get update -qq || true) && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing; \
	  else \
	    echo "Missing Debian packages:$$missing"; echo "Install them with: sudo apt-get install$$missing"; exit 1; \
	  fi; \
	fi

$(BUILD)/ringdate: deps
	@[ -f $(BUILD)/CMakeCache.txt ] || cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	cmake --build $(BUILD) -j $(JOBS)

run: $(BUILD)/ringdate
	cd examples && ../$(BUILD)/ringdate

test-plain: $(BUILD)/ringdate
	cmake -S . -B $(BUILD) -DRINGDATE_WERROR=ON >/dev/null
	cmake --build $(BUILD) -j $(JOBS)
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-asan: deps
	@[ -f $(ASAN)/CMakeCache.txt ] || cmake -S . -B $(ASAN) -DCMAKE_BUILD_TYPE=Debug -DRINGDATE_SANITIZE=ON >/dev/null
	cmake -S . -B $(ASAN) -DRINGDATE_WERROR=ON >/dev/null
	cmake --build $(ASAN) -j $(JOBS)
	cd $(ASAN) && ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

test: test-plain test-asan

bench: $(BUILD)/ringdate
	cmake --build $(BUILD) --target benchmarks -j $(JOBS)
	@for b in $(BUILD)/bench/*_bench; do echo "== $$b"; $$b; done

# Every fuzz harness for FUZZ_SECONDS each (clang, libFuzzer, ASan+UBSan); any finding fails.
fuzz: deps
	@[ -f $(FUZZ)/CMakeCache.txt ] || cmake -S . -B $(FUZZ) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ -DRINGDATE_FUZZ=ON >/dev/null
	cmake --build $(FUZZ) --target fuzzers -j $(JOBS)
	sh fuzz/run.sh $(FUZZ) $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD) $(ASAN)
