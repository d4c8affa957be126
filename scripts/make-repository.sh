#!/bin/sh
# An apt repository of the packages, signed, as Debian's own tools make
# one: apt-ftparchive writes Packages for amd64, i386, arm64 and armhf and
# the Release file, gpg signs it inline (InRelease) and exports the public
# key a sysop names in Signed-By, with its fingerprint beside it
# (ketrav-archive-keyring.fingerprint) and on the terminal.
#   make-repository.sh PACKAGES OUT [KEY]
# KEY is the gpg key that signs (the project's, in the signer's keyring);
# without one, a throwaway key made for this run signs, for a trial only.
set -eu
packages=$1
out=$2
key=${3:-}
suite=stable
architectures="amd64 i386 arm64 armhf"
rm -rf "$out" && mkdir -p "$out/pool/main"
cp "$packages"/*.deb "$out/pool/main/"
if [ -z "$key" ]; then
    GNUPGHOME=$(mktemp -d)
    export GNUPGHOME
    trap 'gpgconf --kill all >/dev/null 2>&1 || true; rm -rf "$GNUPGHOME"' EXIT
    key="KetRAV trial key <ketrav@example.org>"
    gpg --batch --quiet --passphrase '' --quick-gen-key "$key" ed25519 sign never
fi

cd "$out"
for arch in $architectures; do
    mkdir -p "dists/$suite/main/binary-$arch"
    apt-ftparchive --arch "$arch" packages pool/main >"dists/$suite/main/binary-$arch/Packages"
    gzip -9nk "dists/$suite/main/binary-$arch/Packages"
done
apt-ftparchive -o APT::FTPArchive::Release::Origin=KetRAV -o APT::FTPArchive::Release::Label=KetRAV \
    -o APT::FTPArchive::Release::Suite=$suite -o APT::FTPArchive::Release::Codename=$suite \
    -o "APT::FTPArchive::Release::Architectures=$architectures" -o APT::FTPArchive::Release::Components=main \
    release "dists/$suite" >Release.tmp
mv Release.tmp "dists/$suite/Release"
gpg --batch --yes --local-user "$key" --clearsign -o "dists/$suite/InRelease" "dists/$suite/Release"
gpg --batch --yes --export "$key" >ketrav-archive-keyring.gpg
# The fingerprint a sysop compares before trusting the key: beside the key,
# and on the terminal for the one who announces it.
gpg --batch --with-colons --fingerprint "$key" | awk -F: '$1 == "fpr" {print $10; exit}' >ketrav-archive-keyring.fingerprint
[ -s ketrav-archive-keyring.fingerprint ] || {
    echo "make-repository: no fingerprint for $key" >&2
    exit 1
}
echo "The repository's key, ketrav-archive-keyring.gpg, has the fingerprint $(cat ketrav-archive-keyring.fingerprint)"
