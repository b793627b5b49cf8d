# Quick start: 'make run' to play, 'make test' to run every test.
BUILD      ?= build
ASAN_BUILD ?= build-asan
TSAN_BUILD ?= build-tsan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
JOBS       ?= $(shell nproc)
CMAKE_ARGS ?=
PREFIX     ?= /usr/local
DESTDIR    ?=
# The list of what 'make install' put where, read by 'make uninstall'.
INSTALL_RECORD ?= $(BUILD)/installed-files.txt

.PHONY: all deps build test test-asan test-cross test-tsan fuzz soak run bench install uninstall deb clean

all: build

deps:
	@bash scripts/install-deps.sh

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_ARGS)

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j$(JOBS)

# Every test: the normal build, then the pure-logic tests again under
# AddressSanitizer and UndefinedBehaviorSanitizer, then replays recorded by
# each of the two builds verified by the other.
test: build
	cmake --build $(BUILD) -j$(JOBS) --target all_tests
	ctest --test-dir $(BUILD) --output-on-failure -j$(JOBS)
	$(MAKE) --no-print-directory test-asan
	$(MAKE) --no-print-directory test-cross
	$(MAKE) --no-print-directory test-tsan
	$(MAKE) --no-print-directory fuzz FUZZ_SECONDS=15

test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMZ_SANITIZE=ON $(CMAKE_ARGS)
	cmake --build $(ASAN_BUILD) -j$(JOBS) --target unit_tests korvo
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --test-dir $(ASAN_BUILD) -L unit --output-on-failure -j$(JOBS)

# Determinism across builds: an autopilot full run recorded by the normal
# build is verified by the sanitizer build, and the other way round; a
# mismatch names the first step that differs. Uses both builds as they are.
test-cross:
	bash scripts/cross-build-replays.sh $(BUILD) $(ASAN_BUILD)

# Tests of code shared between the game thread and the audio callback, under
# ThreadSanitizer.
test-tsan: deps
	cmake -S . -B $(TSAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMZ_TSAN=ON $(CMAKE_ARGS)
	cmake --build $(TSAN_BUILD) -j$(JOBS) --target tsan_tests
	@if ctest --test-dir $(TSAN_BUILD) -N -L tsan | grep -q "Total Tests: [1-9]"; then \
	  TSAN_OPTIONS=halt_on_error=1 ctest --test-dir $(TSAN_BUILD) -L tsan --output-on-failure -j$(JOBS); \
	else echo "No ThreadSanitizer tests yet."; fi

# Every parser of outside bytes under libFuzzer with AddressSanitizer and
# UndefinedBehaviorSanitizer, FUZZ_SECONDS each (make fuzz FUZZ_SECONDS=600).
fuzz: deps
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMZ_FUZZ=ON \
	  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 $(CMAKE_ARGS)
	cmake --build $(FUZZ_BUILD) -j$(JOBS) --target fuzz_targets
	bash scripts/run-fuzzers.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

# An hour of game time of autopilot games, twice, and a shorter run under
# LeakSanitizer (needs --autopilot).
soak: build
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMZ_SANITIZE=ON $(CMAKE_ARGS)
	cmake --build $(ASAN_BUILD) -j$(JOBS) --target korvo
	bash scripts/soak.sh $(BUILD) $(ASAN_BUILD)

run: build
	@bash scripts/run-game.sh $(BUILD)

bench: build
	cmake --build $(BUILD) -j$(JOBS) --target all_benches
	@for b in $(BUILD)/bench/bench_*; do echo "== $$b"; "$$b" || exit 1; done

# Installs the game under PREFIX (staged under DESTDIR when given) with CMake's
# install rules; the list of what went where is kept for 'make uninstall'.
install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"
	cmake -E copy $(BUILD)/install_manifest.txt "$(INSTALL_RECORD)"

# Removes exactly the files the last 'make install' from this build put there
# (give the same DESTDIR as to the install).
uninstall:
	DESTDIR="$(DESTDIR)" cmake -DMANIFEST="$(INSTALL_RECORD)" -P cmake/Uninstall.cmake

# The Debian package meridane-zeta_<version>_<arch>.deb, in $(BUILD)/package.
deb: build
	cpack --config $(BUILD)/CPackConfig.cmake

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD) $(FUZZ_BUILD)
