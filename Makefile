# Fennix: the two everyday commands are `make run` and `make test`.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: all deps configure build run test screenshots clean

all: build

deps:
	@scripts/install-deps.sh

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD)

configure: $(BUILD)/CMakeCache.txt

build: deps configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/bin/fennix

test: build
	cd $(BUILD) && ctest --output-on-failure

screenshots: build
	QT_QPA_PLATFORM=offscreen $(BUILD)/bin/fennix-screenshots $(BUILD)/screenshots
	@echo "screenshots in $(BUILD)/screenshots"

clean:
	rm -rf $(BUILD)
