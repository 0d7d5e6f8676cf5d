# The two set-up commands are `make run` and `make test`; both install what is missing first.
#
# Two cross builds of the same sources: build/win32 (i686, the product, for every Windows from
# 95 to 11) and build/win64 (x86-64, for 64-bit Windows and for machines that run no 32-bit
# programs). tools/arches.sh tells which of them run here; TSUTSURI_ARCHES=64 (or 32) narrows
# that, e.g. `TSUTSURI_ARCHES=64 make test` tries the 64-bit-only path on any machine.
BUILD ?= build
WIN32_BUILD := $(abspath $(BUILD))/win32
WIN64_BUILD := $(abspath $(BUILD))/win64
HOST_BUILD := $(abspath $(BUILD))/host
JOBS ?= 2
MAKEFLAGS += --no-print-directory

.PHONY: all deps build build-win32 build-win64 build-host test run bench dist clean

all: build

deps:
	@bash tools/install-deps.sh

build-win32: deps
	@cmake -S . -B $(WIN32_BUILD) -DCMAKE_TOOLCHAIN_FILE=$(abspath cmake/mingw-i686.cmake) \
	  -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(WIN32_BUILD) -j $(JOBS)

build-win64: deps
	@cmake -S . -B $(WIN64_BUILD) -DCMAKE_TOOLCHAIN_FILE=$(abspath cmake/mingw-x86_64.cmake) \
	  -DCMAKE_BUILD_TYPE=Release >/dev/null
	@cmake --build $(WIN64_BUILD) -j $(JOBS)

build-host: deps build-win32 build-win64
	@cmake -S . -B $(HOST_BUILD) -DTSUTSURI_WIN32_BUILD=$(WIN32_BUILD) \
	  -DTSUTSURI_WIN64_BUILD=$(WIN64_BUILD) \
	  -DTSUTSURI_TEST_ARCHES="$$(bash tools/arches.sh runnable)" \
	  -DTSUTSURI_ARCH32_SKIP="$$(bash tools/arches.sh why32)" \
	  -DTSUTSURI_ARCH64_SKIP="$$(bash tools/arches.sh why64)" >/dev/null
	@cmake --build $(HOST_BUILD) -j $(JOBS)

build: build-win32 build-win64 build-host

test: build
	@cd $(HOST_BUILD) && ctest --output-on-failure -j $(JOBS)

# The 32-bit program where this machine runs 32-bit programs, else the 64-bit one.
run: build-win32 build-win64
	@bash tools/run.sh $(BUILD) $(abspath $(BUILD))/run

bench: build
	@bash bench/run.sh $(abspath $(BUILD))

# The release packages in $(BUILD)/dist: a zip for each cross build, named by the version the
# programs carry and their architecture, and SHA256SUMS beside them (tools/dist.py).
dist: build-win32 build-win64
	@python3 tools/dist.py $(abspath $(BUILD))/dist $(WIN32_BUILD) $(WIN64_BUILD)

clean:
	rm -rf $(BUILD)
