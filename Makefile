# ZEMA: `make run` starts the program on the demo song, `make test` runs every test.
# Both install what the machine lacks first (scripts/setup-deps).

BUILD_DIR    ?= build
SANITIZE_DIR ?= build-sanitize
FUZZ_DIR     ?= build-fuzz
TSAN_DIR     ?= build-tsan
JOBS         ?= $(shell nproc)
PREFIX       ?= /usr/local
FUZZ_SECONDS ?= 20

CMAKE_FLAGS := -G Ninja
ifeq ($(CI),true)
CMAKE_FLAGS += -DZEMA_WERROR=ON
endif

DEMO := resources/demo/demo.mml

.PHONY: all deps configure build test run bench sanitize tsan fuzz install package clean

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

# The tests that run threads (the player, the devices, the window) again under
# ThreadSanitizer. Only their binaries are built; tests/tsan.supp names races
# inside uninstrumented libraries only. Children forked by a test are not
# checked (die_after_fork=0).
TSAN_TARGETS := zema_playback_tests zema_views_tests zema_gui_tests
tsan: deps
	cmake -S . -B $(TSAN_DIR) $(CMAKE_FLAGS) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEMA_TSAN=ON -DZEMA_BENCH=OFF
	cmake --build $(TSAN_DIR) -j $(JOBS) --target $(TSAN_TARGETS)
	TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 die_after_fork=0 suppressions=$(CURDIR)/tests/tsan.supp" \
	  ctest --test-dir $(TSAN_DIR) --output-on-failure -j $(JOBS) -L '^(playback|views|gui)$$'

# libFuzzer targets built with clang; each runs for FUZZ_SECONDS (or FUZZ_RUNS runs).
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEMA_FUZZ=ON
	cmake --build $(FUZZ_DIR) -j $(JOBS)
	scripts/run-fuzzers $(FUZZ_DIR) $(FUZZ_SECONDS) $(FUZZ_RUNS)

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR) $(TSAN_DIR) $(FUZZ_DIR)
