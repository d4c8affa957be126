# The two commands of the README, and the builds behind them.
#   make demo   installs what is missing (cmake, g++), builds KetRAV and runs
#               it on a scratch copy of examples/bbs/
#   make check  installs what is missing, builds and tests every build,
#               builds the packages and checks them, the install and the
#               man page

JOBS ?= $(shell nproc 2>/dev/null || echo 2)
export CMAKE_BUILD_PARALLEL_LEVEL := $(JOBS)
export CTEST_PARALLEL_LEVEL := $(JOBS)
# Every target's settings live in CMakePresets.json (CMake 3.25 or later):
# one tree per target under build/, named after its preset, and its tests
# in it. A plain `cmake -S . -B DIR` needs no preset, and `make demo` uses
# none, so both still work with CMake 3.18.
TREES := native sanitize windows windows32 arm64 armhf i386
# The Debian releases the source package is built in.
SUITES := bullseye bookworm
DEMO_DIR := build/demo
RELEASE := build/release
PACKAGES := build/packages

.PHONY: all demo check deps deps-demo deps-packages $(TREES) $(addprefix test-,$(TREES)) \
	packages check-release orig fuzz-smoke bench clean \
	$(addprefix debian-source-,$(SUITES))

all: native

deps:
	@sh scripts/install-deps.sh check

deps-demo:
	@sh scripts/install-deps.sh demo

deps-packages:
	@sh scripts/install-deps.sh packages

# A tree, configured and built: native (amd64), sanitize (ASan and UBSan),
# windows and windows32 (mingw-w64, tests under Wine), arm64 and armhf
# (tests under qemu-user, which cannot start a child process, so the tests
# that do are left out there), i386 (run directly). The four Linux trees
# build the programs as the .deb files ship them (static, for /usr).
$(TREES):
	cmake --preset $@
	cmake --build --preset $@

# Configure, build and test, in one workflow.
$(addprefix test-,$(TREES)):
	cmake --workflow --preset $(@:test-%=%)

# The .deb for each Linux architecture (amd64, arm64, armhf, i386), with
# statically linked programs, and the Windows .zip with the 64-bit and the
# 32-bit ketrav.exe, all in build/packages/ with SHA256SUMS. Each .deb is
# made from its test tree: its programs are the ones the tests ran. The
# .zip is made from two trees of its own, built as it ships (mingw-w64's
# win32 threads, which Windows XP has; the test trees use posix threads,
# which GoogleTest needs). Every time stamp in them is the last commit's,
# in UTC, and CPack makes them under umask 022 (the modes of the archives'
# members follow it), so that two builds of one commit give the same bytes
# whatever the builder's time zone and umask. AGAIN=DIR builds the same
# trees a second time under DIR, without their tests, which the packages
# do not hold: what the reproducibility check compares, and no more; it
# compiles everything anew, without the compile cache the trees use.
SOURCE_DATE_EPOCH ?= $(shell git log -1 --format=%ct 2>/dev/null || echo 1767225600)
export SOURCE_DATE_EPOCH
AGAIN ?=
# preset:tree; the trees marked + are the ones CPack packs.
PACKAGE_TREES := native:build/native:+ arm64:build/arm64:+ armhf:build/armhf:+ i386:build/i386:+ \
	zip-windows32:build/package/windows32: zip-windows64:build/package/windows64:+
packages: deps-packages
	for entry in $(PACKAGE_TREES); do \
		preset=$${entry%%:*}; rest=$${entry#*:}; tree=$${rest%%:*}; options=; \
		if [ -n "$(AGAIN)" ]; then \
			tree=$(AGAIN)/$$preset; options="-B $$tree -DBUILD_TESTING=OFF -DKETRAV_COMPILE_CACHE=OFF"; \
			[ $$preset != zip-windows64 ] || options="$$options -DKETRAV_WINDOWS_32BIT_BUILD=$(CURDIR)/$(AGAIN)/zip-windows32"; \
		fi; \
		cmake --preset $$preset $$options && cmake --build $$tree || exit 1; \
	done
	rm -rf $(PACKAGES) && mkdir -p $(PACKAGES)
	for entry in $(PACKAGE_TREES); do \
		preset=$${entry%%:*}; rest=$${entry#*:}; tree=$${rest%%:*}; \
		[ "$${rest#*:}" = + ] || continue; \
		[ -z "$(AGAIN)" ] || tree=$(AGAIN)/$$preset; \
		(cd $$tree && umask 022 && TZ=UTC cpack -B $(CURDIR)/$$tree/cpack) || exit 1; \
		for made in $$tree/cpack/*.deb $$tree/cpack/*.zip; do \
			[ ! -f "$$made" ] || cp "$$made" $(PACKAGES)/ || exit 1; \
		done; \
	done
	cd $(PACKAGES) && sha256sum *.deb *.zip > SHA256SUMS && ls -l

# The install, the packages and the man page, checked as a sysop meets them;
# the packages built a second time from scratch, in another build directory,
# under umask 027 and in another time zone, must be the same bytes.
check-release: packages
	rm -rf build/packages-first && cp -R $(PACKAGES) build/packages-first
	rm -rf build/again && (umask 027 && TZ=Pacific/Kiritimati $(MAKE) packages AGAIN=build/again)
	sh scripts/check-release.sh build/packages-first

# Every fuzz target for a few seconds on its seed corpus (clang, libFuzzer);
# fuzz/run.sh SECONDS runs them longer.
fuzz-smoke:
	sh fuzz/run.sh 3

# The Debian source package, built with its tests in a Debian 11 and a
# Debian 12 root (as root, with debootstrap; the roots are kept between
# runs): build/debian-source/SUITE/ keeps its .deb and logs.
$(addprefix debian-source-,$(SUITES)):
	sh scripts/check-debian-source.sh $(@:debian-source-%=%) build/debian-source/$(@:debian-source-%=%)

# The test trees and the source package's builds side by side, CHECK_JOBS
# at a time, the longest first: a build's compiling fills the time another
# spends waiting on Wine or qemu. Each one's output comes whole when it is
# done. Then the packages from those trees, checked.
CHECK_JOBS ?= 4
CHECK_STEPS := test-windows test-windows32 $(addprefix debian-source-,$(SUITES)) test-armhf test-i386 test-arm64 \
	test-native test-sanitize fuzz-smoke
check: deps
	$(MAKE) --output-sync=target -j $(CHECK_JOBS) $(CHECK_STEPS)
	$(MAKE) check-release

# The upstream tarball that the Debian source package (debian/) builds
# from, written beside the clone as dpkg-source looks for it: the last
# commit's files but debian/.
orig:
	upstream=$$(dpkg-parsechangelog -S Version | sed 's/-[^-]*$$//') && \
	git archive --format=tar.gz --prefix=ketrav-$$upstream/ -o ../ketrav_$$upstream.orig.tar.gz HEAD ':(exclude)debian'

# The demo needs only cmake and g++: no tests are built for it.
demo: deps-demo
	cmake -S . -B $(RELEASE) -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
	cmake --build $(RELEASE) -j $(JOBS)
	rm -rf $(DEMO_DIR) && mkdir -p $(DEMO_DIR) && cp -R examples/bbs/. $(DEMO_DIR)/
	cd $(DEMO_DIR) && ../release/bin/ketrav Fidonet Region 99 Echomail; echo "ketrav exit code: $$?"
	@if [ -f $(DEMO_DIR)/KetRAV.Rpt ]; then cat $(DEMO_DIR)/KetRAV.Rpt; else echo "(no report written)"; fi

# The whole runs measure the programs as they ship (static, whole-program
# optimised), for amd64 and for i386 side by side; the micro benchmarks
# need a tree that links Google Benchmark's shared library.
bench:
	@sh scripts/install-deps.sh bench
	cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DKETRAV_BENCH=ON -DKETRAV_STATIC=ON
	cmake --build build/bench -j $(JOBS)
	cmake -S . -B build/bench-i386 -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DKETRAV_BENCH=ON \
		-DCMAKE_TOOLCHAIN_FILE=cmake/i686-linux-gnu.cmake
	cmake --build build/bench-i386 -j $(JOBS)
	cmake -S . -B build/bench-micro -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DKETRAV_BENCH=ON
	cmake --build build/bench-micro -j $(JOBS) --target services_bench
	MICRO=0 sh bench/run.sh build/bench
	MICRO=0 sh bench/run.sh build/bench-i386
	build/bench-micro/bin/services_bench --benchmark_min_time=0.2

clean:
	rm -rf build
