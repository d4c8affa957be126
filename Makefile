# The two commands of the README, and the builds behind them.
#   make demo   builds KetRAV and runs it on a scratch copy of examples/bbs/
#   make check  installs what is missing, builds all three builds, runs every test

JOBS ?= $(shell nproc 2>/dev/null || echo 2)
NATIVE := build/native
SANITIZE := build/sanitize
WINDOWS := build/windows
DEMO_DIR := build/demo
RELEASE := build/release

ARM64 := build/arm64

.PHONY: all demo check deps native sanitize windows arm64 test-native test-sanitize test-windows test-arm64 bench clean

all: native

deps:
	@sh scripts/install-deps.sh

native:
	cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(NATIVE) -j $(JOBS)

sanitize:
	cmake -S . -B $(SANITIZE) -DCMAKE_BUILD_TYPE=Debug -DKETRAV_SANITIZE=ON
	cmake --build $(SANITIZE) -j $(JOBS)

windows:
	cmake -S . -B $(WINDOWS) -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
	cmake --build $(WINDOWS) -j $(JOBS)

# Optional: 64-bit ARM under qemu-user (packages g++-aarch64-linux-gnu and
# qemu-user). qemu-user cannot start a child process, so the tests that do
# are left out here.
arm64:
	cmake -S . -B $(ARM64) -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake
	cmake --build $(ARM64) -j $(JOBS)

test-arm64: arm64
	ctest --test-dir $(ARM64) --output-on-failure -LE starts_processes

test-native: native
	ctest --test-dir $(NATIVE) --output-on-failure -j $(JOBS)

test-sanitize: sanitize
	ctest --test-dir $(SANITIZE) --output-on-failure -j $(JOBS)

# The Wine server stays up across the tests and is stopped after them.
test-windows: windows
	ctest --test-dir $(WINDOWS) --output-on-failure; status=$$?; \
	KETRAV_WINE_BIN=$(CURDIR)/$(WINDOWS)/bin sh cmake/wine-run.sh --stop; exit $$status

check: deps
	$(MAKE) test-native
	$(MAKE) test-sanitize
	$(MAKE) test-windows

# The demo needs only cmake and g++: no tests are built for it.
demo:
	cmake -S . -B $(RELEASE) -DCMAKE_BUILD_TYPE=Release -DKETRAV_TESTS=OFF
	cmake --build $(RELEASE) -j $(JOBS)
	rm -rf $(DEMO_DIR) && mkdir -p $(DEMO_DIR) && cp -R examples/bbs/. $(DEMO_DIR)/
	cd $(DEMO_DIR) && ../release/bin/ketrav Fidonet Region 99 Echomail; echo "ketrav exit code: $$?"
	@if [ -f $(DEMO_DIR)/KetRAV.Rpt ]; then cat $(DEMO_DIR)/KetRAV.Rpt; else echo "(no report written)"; fi

bench:
	cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DKETRAV_TESTS=OFF -DKETRAV_BENCH=ON
	cmake --build build/bench -j $(JOBS)
	sh bench/run.sh build/bench

clean:
	rm -rf build
