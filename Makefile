# Fennix: the two everyday commands are `make run` and `make test`.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: all deps deps-test configure build build-all run test fuzz test-sanitize screenshots screenshots-wm package translations clean

all: build

# What building and running the program needs; `deps-test` adds what the
# tests, benchmarks, fuzzers, screenshots and package checks need.
deps:
	@scripts/install-deps.sh

deps-test:
	@scripts/install-deps.sh --test

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD)

configure: $(BUILD)/CMakeCache.txt

# The program, fennix-morph, the companion library, the English catalogue
# and the manual pages: what `make run` needs, nothing else.
PROGRAM_TARGETS = fennix fennix-morph Fennix fennix_lrelease fennix_manpage

build: deps configure
	cmake --build $(BUILD) -j $(JOBS) --target $(PROGRAM_TARGETS)

# Everything: configured once more, so that the test libraries installed
# since the first configure are found.
build-all: deps-test configure
	cmake -S . -B $(BUILD) >/dev/null
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/bin/fennix

# Tests run side by side, one per core; those that cannot share the machine
# say so in tests/CMakeLists.txt (RUN_SERIAL, RESOURCE_LOCK).
test: build-all
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The fuzz targets mutating their corpora for 20 s each (FENNIX_FUZZ_SECONDS)
# in the fuzz build that `make test` replays the seeds with; an input that
# crashes, makes a sanitizer report or runs out of memory or of its 60 s
# fails it.
fuzz: deps-test configure
	tests/fuzz/run-fuzzers.sh --mutate $(BUILD)/fuzz

# The whole test suite once more, built with AddressSanitizer and UBSan in a
# folder of its own; any report fails the test that made it. The fuzz
# targets have their own sanitizer build, and the Xvfb walkthrough, the
# install check and the package check add nothing the sanitizers would see.
SANITIZE_BUILD ?= build-sanitize
SANITIZE_FLAGS = -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer

$(SANITIZE_BUILD)/CMakeCache.txt:
	cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFENNIX_EXTRAS=OFF \
	  -DCMAKE_CXX_FLAGS="$(SANITIZE_FLAGS)" \
	  -DCMAKE_EXE_LINKER_FLAGS="$(SANITIZE_FLAGS)" \
	  -DCMAKE_SHARED_LINKER_FLAGS="$(SANITIZE_FLAGS)"

test-sanitize: deps-test $(SANITIZE_BUILD)/CMakeCache.txt
	cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	cd $(SANITIZE_BUILD) && \
	  ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:detect_stack_use_after_return=0 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j $(JOBS) -E '^(fuzz|e2e-xvfb|install|lintian)$$'

# A Debian package of the program: $(BUILD)/fennix_<version>_<arch>.deb.
package: build-all
	cd $(BUILD) && cpack -G DEB

# Adds the texts newly marked in src/ to translations/fennix_en.ts (kept
# translations stay); translate the ones it reports, then build.
translations: configure
	cmake --build $(BUILD) --target update_translations

screenshots: build-all
	FENNIX_LANG=ja QT_QPA_PLATFORM=offscreen $(BUILD)/bin/fennix-screenshots $(BUILD)/screenshots
	FENNIX_LANG=en QT_QPA_PLATFORM=offscreen $(BUILD)/bin/fennix-screenshots $(BUILD)/screenshots/en
	FENNIX_LANG=ja QT_QPA_PLATFORM=offscreen FENNIX_SHOTS_PALETTE=dark $(BUILD)/bin/fennix-screenshots $(BUILD)/screenshots/dark
	FENNIX_LANG=ja QT_QPA_PLATFORM=offscreen QT_SCALE_FACTOR=2 $(BUILD)/bin/fennix-screenshots $(BUILD)/screenshots/scale2
	@echo "screenshots in $(BUILD)/screenshots (English: en/, dark palette: dark/, scale 2: scale2/)"

# The same windows on a real X server (Xvfb) with a window manager (openbox),
# where stacking, activation and maximising are the manager's.
screenshots-wm: build-all
	scripts/with-window-manager.sh $(BUILD)/bin/fennix-screenshots $(BUILD)/screenshots-wm
	@echo "screenshots in $(BUILD)/screenshots-wm"

clean:
	rm -rf $(BUILD)
