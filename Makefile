# The two commands of the README, and the builds behind them.
#   make demo   installs what is missing (cmake, g++), builds KetRAV and runs
#               it on a scratch copy of examples/bbs/
#   make check  installs what is missing, builds and tests every build,
#               builds the packages and checks them, the install and the
#               man page

JOBS ?= $(shell nproc 2>/dev/null || echo 2)
NATIVE := build/native
SANITIZE := build/sanitize
WINDOWS := build/windows
WINDOWS32 := build/windows32
ARM64 := build/arm64
ARMHF := build/armhf
I386 := build/i386
DEMO_DIR := build/demo
RELEASE := build/release
# Release builds without tests, one per package, and the packages themselves.
PACKAGE := build/package
PACKAGES := build/packages

.PHONY: all demo check deps deps-demo deps-packages native sanitize windows windows32 arm64 armhf i386 \
	test-native test-sanitize test-windows test-windows32 test-arm64 test-armhf test-i386 \
	packages check-release fuzz-smoke bench clean

all: native

deps:
	@sh scripts/install-deps.sh check

deps-demo:
	@sh scripts/install-deps.sh demo

deps-packages:
	@sh scripts/install-deps.sh packages

native:
	cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(NATIVE) -j $(JOBS)

sanitize:
	cmake -S . -B $(SANITIZE) -DCMAKE_BUILD_TYPE=Debug -DKETRAV_SANITIZE=ON
	cmake --build $(SANITIZE) -j $(JOBS)

windows:
	cmake -S . -B $(WINDOWS) -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
	cmake --build $(WINDOWS) -j $(JOBS)

windows32:
	cmake -S . -B $(WINDOWS32) -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake
	cmake --build $(WINDOWS32) -j $(JOBS)

# 64-bit ARM under qemu-user. qemu-user cannot start a child process, so the
# tests that do are left out here.
arm64:
	cmake -S . -B $(ARM64) -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake
	cmake --build $(ARM64) -j $(JOBS)

test-arm64: arm64
	cd $(ARM64) && ctest --output-on-failure -LE starts_processes

# 32-bit ARM (armhf), under qemu-user as arm64 is.
armhf:
	cmake -S . -B $(ARMHF) -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/arm-linux-gnueabihf.cmake
	cmake --build $(ARMHF) -j $(JOBS)

test-armhf: armhf
	cd $(ARMHF) && ctest --output-on-failure -LE starts_processes

# 32-bit PC (i386): linked statically, and run directly, every test.
i386:
	cmake -S . -B $(I386) -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/i686-linux-gnu.cmake
	cmake --build $(I386) -j $(JOBS)

test-i386: i386
	cd $(I386) && ctest --output-on-failure -j $(JOBS)

test-native: native
	cd $(NATIVE) && ctest --output-on-failure -j $(JOBS)

test-sanitize: sanitize
	cd $(SANITIZE) && ctest --output-on-failure -j $(JOBS)

# The Wine server stays up across the tests; CTest's fixtures start and stop it.
test-windows: windows
	cd $(WINDOWS) && ctest --output-on-failure -j $(JOBS)

test-windows32: windows32
	cd $(WINDOWS32) && ctest --output-on-failure -j $(JOBS)

# The .deb for each Linux architecture (amd64, arm64, armhf, i386), with
# statically linked programs, and the Windows .zip with the 64-bit and the
# 32-bit ketrav.exe, all in build/packages/ with SHA256SUMS. Every time
# stamp in them is the last commit's, in UTC, and CPack makes them under
# umask 022 (the modes of the archives' members follow it), so that two
# builds of one commit give the same bytes whatever the builder's time
# zone and umask.
SOURCE_DATE_EPOCH ?= $(shell git log -1 --format=%ct 2>/dev/null || echo 1767225600)
export SOURCE_DATE_EPOCH
LINUX_PACKAGE_BUILDS := amd64: arm64:cmake/aarch64-linux-gnu.cmake armhf:cmake/arm-linux-gnueabihf.cmake \
	i386:cmake/i686-linux-gnu.cmake
packages: deps-packages
	for build in $(LINUX_PACKAGE_BUILDS); do \
		name=$${build%%:*}; toolchain=$${build#*:}; \
		cmake -S . -B $(PACKAGE)/$$name -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DCMAKE_INSTALL_PREFIX=/usr \
			-DKETRAV_STATIC=ON $${toolchain:+-DCMAKE_TOOLCHAIN_FILE=$$toolchain} || exit 1; \
		cmake --build $(PACKAGE)/$$name -j $(JOBS) || exit 1; \
	done
	cmake -S . -B $(PACKAGE)/windows32 -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
		-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake
	cmake --build $(PACKAGE)/windows32 -j $(JOBS)
	cmake -S . -B $(PACKAGE)/windows64 -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
		-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DKETRAV_WINDOWS_32BIT_BUILD=$(CURDIR)/$(PACKAGE)/windows32
	cmake --build $(PACKAGE)/windows64 -j $(JOBS)
	rm -rf $(PACKAGES) && mkdir -p $(PACKAGES)
	for build in amd64 arm64 armhf i386 windows64; do \
		(cd $(PACKAGE)/$$build && umask 022 && TZ=UTC cpack -B $(CURDIR)/$(PACKAGE)/$$build/cpack) || exit 1; \
		for made in $(PACKAGE)/$$build/cpack/*.deb $(PACKAGE)/$$build/cpack/*.zip; do \
			[ ! -f "$$made" ] || cp "$$made" $(PACKAGES)/ || exit 1; \
		done; \
	done
	cd $(PACKAGES) && sha256sum *.deb *.zip > SHA256SUMS && ls -l

# The install, the packages and the man page, checked as a sysop meets them;
# the packages built a second time from scratch, in another build directory,
# under umask 027 and in another time zone, must be the same bytes.
check-release: packages
	rm -rf build/packages-first && cp -R $(PACKAGES) build/packages-first
	rm -rf $(PACKAGE)-again && (umask 027 && TZ=Pacific/Kiritimati $(MAKE) packages PACKAGE=$(PACKAGE)-again)
	sh scripts/check-release.sh build/packages-first

# Every fuzz target for a few seconds on its seed corpus (clang, libFuzzer);
# fuzz/run.sh SECONDS runs them longer.
fuzz-smoke:
	sh fuzz/run.sh 3

check: deps
	$(MAKE) test-native
	$(MAKE) test-sanitize
	$(MAKE) test-windows
	$(MAKE) test-windows32
	$(MAKE) test-arm64
	$(MAKE) test-armhf
	$(MAKE) test-i386
	$(MAKE) check-release
	$(MAKE) fuzz-smoke

# The demo needs only cmake and g++: no tests are built for it.
demo: deps-demo
	cmake -S . -B $(RELEASE) -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
	cmake --build $(RELEASE) -j $(JOBS)
	rm -rf $(DEMO_DIR) && mkdir -p $(DEMO_DIR) && cp -R examples/bbs/. $(DEMO_DIR)/
	cd $(DEMO_DIR) && ../release/bin/ketrav Fidonet Region 99 Echomail; echo "ketrav exit code: $$?"
	@if [ -f $(DEMO_DIR)/KetRAV.Rpt ]; then cat $(DEMO_DIR)/KetRAV.Rpt; else echo "(no report written)"; fi

bench:
	@sh scripts/install-deps.sh bench
	cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DKETRAV_BENCH=ON
	cmake --build build/bench -j $(JOBS)
	sh bench/run.sh build/bench

clean:
	rm -rf build
