#!/usr/bin/env bash
# Installs, on Debian 12 as root, what building and testing the module needs:
# the MinGW-w64 cross toolchains for 32-bit and 64-bit Windows, 32-bit and
# 64-bit Wine with an X server to run under (32-bit Wine is installed even
# where the kernel cannot run it; binutils tries that), CMake and
# GoogleTest's sources, and clang with its sanitizer and fuzzer runtimes for
# the native build, ImageMagick, sox and a font to draw the skin, and for the
# end-to-end tests real IRC servers, NickServ, irssi, tmux and Python; for
# the TLS tests certtool to make a test authority, GnuTLS for both Wines'
# Schannel, openssl for the certificates, Python's cryptography for a peer
# that seals its own records, ip to bring up a private namespace's loopback
# and tcpdump to capture what crosses it;
# further packages may be named as arguments.
# Does nothing when all is there.
set -euo pipefail

packages=(
    cmake make g++-mingw-w64-i686 mingw-w64-tools binutils-mingw-w64-i686
    g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 binutils
    wine wine32:i386 wine64 xvfb xauth
    googletest clang libclang-rt-14-dev
    util-linux procps
    imagemagick sox fonts-dejavu-core
    ngircd inspircd atheme-services irssi tmux python3
    gnutls-bin libgnutls30 libgnutls30:i386 iproute2 tcpdump openssl python3-cryptography
    "$@"
)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "installing: ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
    echo "install-deps: run as root to install the packages above" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
dpkg --add-architecture i386
apt-get update -q
apt-get install -y -q --no-install-recommends "${missing[@]}"
