# The two set-up commands are `make run` and `make test`; both install what is missing first.
BUILD ?= build
WIN32_BUILD := $(abspath $(BUILD))/win32
HOST_BUILD := $(abspath $(BUILD))/host
JOBS ?= 2

.PHONY: all deps build build-win32 build-host test run bench clean

all: build

deps:
	@bash tools/install-deps.sh

build-win32: deps
	@cmake -S . -B $(WIN32_BUILD) -DCMAKE_TOOLCHAIN_FILE=$(abspath cmake/mingw-i686.cmake) \
	  -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(WIN32_BUILD) -j $(JOBS)

build-host: deps build-win32
	@cmake -S . -B $(HOST_BUILD) -DTSUTSURI_WIN32_BUILD=$(WIN32_BUILD) >/dev/null
	@cmake --build $(HOST_BUILD) -j $(JOBS)

build: build-win32 build-host

test: build
	@cd $(HOST_BUILD) && ctest --output-on-failure -j $(JOBS)

run: build-win32
	@bash tools/run.sh $(WIN32_BUILD)/tsutsuri.exe $(abspath $(BUILD))/run

bench: build
	@bash bench/run.sh $(abspath $(BUILD))

clean:
	rm -rf $(BUILD)
