#!/bin/sh
# Installs what the builds and tests need on Debian, when it is missing.
# As root it uses apt-get; otherwise it names the packages and stops.
packages="cmake g++ make googletest mingw-w64 wine64"
missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
if [ "$(id -u)" -ne 0 ]; then
    echo "KetRAV's tests need these Debian packages:$missing"
    echo "Install them as root:  apt-get install -y$missing"
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq || true
apt-get install -y --no-install-recommends $missing
