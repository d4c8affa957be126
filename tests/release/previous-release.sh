#!/bin/sh
# Prints the path of the previous release's own amd64 .deb, building it
# first where it is missing: that release's commit (named below) built as
# its package was, the amd64 tree alone (static, for /usr, no tests), then
# CPack. The .deb is kept outside the clone (KETRAV_PREVIOUS_RELEASES, else
# the user's cache directory), so a machine builds it once.
#   previous-release.sh LOG
set -eu
log=$1
cd "$(dirname "$0")/../.."
# The release before this one: its commit and its package's version.
commit=79a3995a611a01703285f0f2c82af48da3813c59
previous_version=1.5-1
cache=${KETRAV_PREVIOUS_RELEASES:-${XDG_CACHE_HOME:-${HOME:-$(pwd)/build}/.cache}/ketrav/previous-releases}/$commit
deb=$cache/ketrav_${previous_version}_amd64.deb

mkdir -p "$cache"
exec 9>"$cache.lock"
flock 9
if [ ! -f "$deb" ]; then
    work=$cache/work
    rm -rf "$work" && mkdir -p "$work/source"
    git archive "$commit" | tar -x -C "$work/source"
    {
        SOURCE_DATE_EPOCH=$(git log -1 --format=%ct "$commit")
        export SOURCE_DATE_EPOCH
        cmake -S "$work/source" -B "$work/tree" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DKETRAV_STATIC=ON \
            -DCMAKE_INSTALL_PREFIX=/usr &&
            cmake --build "$work/tree" -j "$(nproc)" &&
            (umask 022 && TZ=UTC cmake --build "$work/tree" --target package)
    } >"$log" 2>&1 || {
        tail -5 "$log" >&2
        exit 1
    }
    cp "$work/tree/packages/ketrav_${previous_version}_amd64.deb" "$deb.part"
    mv "$deb.part" "$deb"
    rm -rf "$work"
fi
echo "$deb"
