# ZEMA: `make run` starts the program on the demo song, `make test` runs every test.
# Both install what the machine lacks first (scripts/setup-deps).

BUILD_DIR    ?= build
SANITIZE_DIR ?= build-sanitize
FUZZ_DIR     ?= build-fuzz
JOBS         ?= $(shell nproc)
PREFIX       ?= /usr/local
FUZZ_SECONDS ?= 20

CMAKE_FLAGS := -G Ninja
ifeq ($(CI),true)
CMAKE_FLAGS += -DZEMA_WERROR=ON
endif

DEMO := resources/demo/demo.mml

.PHONY: all deps configure build test run bench sanitize fuzz install package clean

all: build

deps:
	@scripts/setup-deps

configure: deps
	cmake -S . -B $(BUILD_DIR) $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=Release

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

run: build
	@if [ -z "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
	  echo "No display: set DISPLAY, or try: xvfb-run $(BUILD_DIR)/bin/zema $(DEMO)"; fi
	$(BUILD_DIR)/bin/zema $(DEMO)

# Installs the build under PREFIX (default /usr/local), below DESTDIR when given.
install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD_DIR) --prefix "$(PREFIX)"

# The Debian package $(BUILD_DIR)/zema_<version>_<arch>.deb.
package: build
	cmake --build $(BUILD_DIR) --target package

bench: build
	@for b in $(BUILD_DIR)/bench/bench_*; do \
	  [ -x "$$b" ] || continue; echo "== $$b"; "$$b" || exit 1; done

# Every test again under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize: deps
	cmake -S . -B $(SANITIZE_DIR) $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEMA_SANITIZE=ON -DZEMA_BENCH=OFF
	cmake --build $(SANITIZE_DIR) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp \
	  ctest --test-dir $(SANITIZE_DIR) --output-on-failure -j $(JOBS)

# libFuzzer targets built with clang; each runs for FUZZ_SECONDS (or FUZZ_RUNS runs).
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEMA_FUZZ=ON
	cmake --build $(FUZZ_DIR) -j $(JOBS)
	scripts/run-fuzzers $(FUZZ_DIR) $(FUZZ_SECONDS) $(FUZZ_RUNS)

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR) $(FUZZ_DIR)
