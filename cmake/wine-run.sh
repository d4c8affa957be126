#!/bin/sh
# Runs a Windows program under Wine for the cross builds' tests: a private
# prefix inside the build tree, no debug output, our sort.exe on the path
# (Wine ships none), and a persistent wineserver so each start is quick.
# "--win32" first: a 32-bit program, in a 32-bit prefix, through Wine's
# 32-bit loader (Debian's wine32).
# "wine-run.sh --prepare" only creates the prefix and starts the server;
# "wine-run.sh --stop" ends the server once the tests are done.
set -e
# Wine as its packages document it: the wine package's `wine` runs 32- and
# 64-bit programs alike (Debian's picks the loader for the program), with
# `wine64` where a distribution puts that on PATH; the loaders' own paths
# only where neither command is installed.
if [ "${1:-}" = "--win32" ]; then
    shift
    wine=$(command -v wine 2>/dev/null || echo /usr/lib/wine/wine)
    export WINEARCH=win32
else
    wine=$(command -v wine64 2>/dev/null || command -v wine 2>/dev/null || echo /usr/lib/wine/wine64)
fi
wineserver=$(command -v wineserver 2>/dev/null || echo /usr/lib/wine/wineserver)
bin_dir=${KETRAV_WINE_BIN:-$(pwd)/bin}
build_dir=$(dirname "$bin_dir")
export WINEPREFIX="${WINEPREFIX:-$build_dir/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPATH="Z:$(printf %s "$bin_dir" | sed "s|/|\\\\|g")"
export DISPLAY=
# Every Wine process started from here without Linux's random placement
# (see the end of this file), where setarch can give that.
fixed_placement=
if command -v setarch >/dev/null 2>&1 && setarch "$(uname -m)" -R true 2>/dev/null; then
    fixed_placement="setarch $(uname -m) -R"
fi
if [ "${1:-}" = "--stop" ]; then
    "$wineserver" -k >/dev/null 2>&1 || true
    exit 0
fi
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    $fixed_placement "$wine" wineboot --init >/dev/null 2>&1 || true
fi
# Starts the server and the session's own services (services.exe,
# winedevice, ...) with no output attached: started by a test, they would
# inherit CTest's output pipe and hold it open, and CTest would wait for them
# until the test timed out.
start_session() {
    "$wineserver" -p </dev/null >/dev/null 2>&1 || true
    $fixed_placement "$wine" wineboot </dev/null >/dev/null 2>&1 || true
}
# The server of this prefix listens on a socket named after the prefix's
# device and inode.
server_running() {
    device=$(stat -c %D "$WINEPREFIX") && inode=$(stat -c %i "$WINEPREFIX") || return 1
    [ -S "/tmp/.wine-$(id -u)/server-$device-$(printf %x "$inode")/socket" ]
}
if [ "${1:-}" = "--prepare" ]; then
    start_session
    exit 0
fi
# Listing the tests comes before the set-up test: start the session here
# when nobody has yet.
server_running || start_session
# Wine now and then cannot start a process: the new process finds the
# address Windows gives its shared user data already taken by the Linux
# loader's random placement ("wine: failed to map the shared user data:
# c0000018", shown only with Wine's error channel on). Seen from the tests,
# a helper that never ran: cmd.exe says "Can't recognize 'sort '", or a
# ketrav.exe, cmd.exe or test program ends at once with nothing done, about
# once in a thousand starts under load. Without the random placement
# (setarch -R, in fixed_placement, which every process started from here
# inherits) no start has failed so. Every failure of a test stands.
exec $fixed_placement "$wine" "$@"
