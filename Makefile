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
# in it; the test trees are the presets' workflows, listed there the
# longest first. The release's own targets (the package trees, the Debian
# releases) are named once, in tests/release/CMakeLists.txt, and its checks
# live in a tree of their own (preset release-checks). A plain `cmake -S . -B DIR`
# needs no preset, and `make demo` uses none, so both still work with
# CMake 3.18; every other target says so when CMake is older than 3.25.
TREES = $(shell cmake --workflow --list-presets 2>/dev/null | sed -n 's/^ *"\(.*\)"$$/\1/p')
# The release checks' tree builds nothing: its workflow is the long builds.
BUILT_TREES = $(filter-out release-builds,$(TREES))
DEMO_DIR := build/demo
RELEASE := build/release

.PHONY: all demo check deps deps-demo deps-packages presets $(TREES) $(addprefix test-,$(TREES)) \
	release-tree release-after-trees packages repository check-release orig fuzz-smoke coverage bench clean

all: native

deps:
	@sh scripts/install-deps.sh check

deps-demo:
	@sh scripts/install-deps.sh demo

deps-packages:
	@sh scripts/install-deps.sh packages

# Every target but demo needs the presets, and so CMake 3.25: said plainly
# where it is older, rather than as a missing target.
presets:
	@cmake --workflow --list-presets >/dev/null 2>&1 || { \
	    echo "make: the trees are CMake presets, which need CMake 3.25 or later;" \
	        "this machine has $$(cmake --version 2>/dev/null | sed -n '1s/^cmake version //p' | grep . || echo none)." >&2; \
	    echo "make: 'make demo' and a plain 'cmake -S . -B build' need only CMake 3.18." >&2; \
	    exit 2; }

# Without the presets, no target of theirs exists: any name make does not
# know is looked at here.
.DEFAULT:
	@$(MAKE) --no-print-directory presets
	@echo "make: no target '$@'" >&2; exit 2

# A tree, configured and built: native (amd64), sanitize (ASan and UBSan),
# windows and windows32 (mingw-w64, tests under Wine), arm64 and armhf
# (tests under qemu-user, which cannot start a child process, so the tests
# that do are left out there), i386 (run directly). The four Linux trees
# build the programs as the .deb files ship them (static, for /usr).
$(BUILT_TREES): presets
	cmake --preset $@
	cmake --build --preset $@

# The release checks' tree: configured, nothing to build.
release-tree release-builds: presets
	cmake --preset release-checks >/dev/null

# Configure, build and test, in one workflow.
$(addprefix test-,$(TREES)): presets
	cmake --workflow --preset $(@:test-%=%)

# The .deb for each Linux architecture (amd64, arm64, armhf, i386), with
# statically linked programs, and the Windows .zip with the 64-bit and the
# 32-bit ketrav.exe, all in build/packages/ with SHA256SUMS, built
# reproducibly (tests/release/build-packages.sh). Each .deb is made from
# its test tree: its programs are the ones `make check` tests there, but
# this target runs no test itself. The .zip is made
# from two trees of its own, built as it ships (mingw-w64's win32 threads,
# which Windows XP has); the Windows test trees' end-to-end tests run that
# very ketrav.exe.
packages: deps-packages
	$(MAKE) release-tree native
	ctest --preset packages

# A signed apt repository of the packages in build/repository/
# (scripts/make-repository.sh): KETRAV_SIGNING_KEY names the gpg key that
# signs a release; without it a throwaway key signs, for a trial only.
KETRAV_SIGNING_KEY ?=
repository: packages
	sh scripts/make-repository.sh build/packages build/repository $(KETRAV_SIGNING_KEY)

# Every release check (tests/release/), the long builds among them, the
# packages built first: each a CTest test labelled release, listed by
# `ctest --test-dir build/release-checks -N -L release`, one run alone
# with `ctest --test-dir build/release-checks -R NAME`.
check-release: deps
	$(MAKE) release-tree native
	ctest --preset release -j $(CHECK_JOBS)

# Every fuzz target for a few seconds on its seed corpus (clang, libFuzzer);
# fuzz/run.sh SECONDS runs them longer.
fuzz-smoke:
	sh fuzz/run.sh 3

# The presets' workflows side by side (the release's long builds, from the
# release checks' tree, and the test trees), CHECK_JOBS at a time, in the
# presets' order, the longest first: a build's compiling fills the time
# another spends waiting on Wine or qemu. Once every test tree is built and
# tested, the release checks of what they built, while the long builds may
# still run. Each one's output comes whole when it is done. Last the checks
# that compare the long builds with the packages, whose lines end the check.
CHECK_JOBS ?= 4
check: deps
	$(MAKE) --no-print-directory presets
	$(MAKE) --output-sync=target -j $(CHECK_JOBS) test-release-builds release-after-trees fuzz-smoke
	ctest --preset release-comparisons -j $(CHECK_JOBS)

# The release checks of what the test trees built (in `make check`).
release-after-trees: $(addprefix test-,$(filter-out release-builds,$(TREES)))
	ctest --preset release-after-trees -j $(CHECK_JOBS)

# Line and branch coverage of src/ over the native tests: a Debug tree that
# counts with gcov (its preset, coverage), the counters of every program
# the tests start written as it ends, even through _exit
# (cmake/coverage-exit.cpp); then gcovr's summary and the files by branch
# coverage, the throws' and the compiler's unreachable branches left out.
coverage:
	@sh scripts/install-deps.sh coverage
	@$(MAKE) --no-print-directory presets
	cmake --preset coverage
	cmake --build --preset coverage
	find build/coverage -name '*.gcda' -delete
	ctest --preset coverage
	gcovr --root . --object-directory build/coverage --filter src/ --exclude-throw-branches \
		--exclude-unreachable-branches --branches --sort-percentage --print-summary

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
