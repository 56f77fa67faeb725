#!/usr/bin/env bash
# Builds Pylonix in Release and makes its two packages with CPack, then checks
# them (packaging/check-package.sh):
#   build-package/packages/pylonix_2.5-1_amd64.deb            for apt-get install
#   build-package/packages/Pylonix-2.5-linux-x86_64.tar.gz    a folder to unpack anywhere
#
#   ./scripts/package.sh                the packages and their check
#   ./scripts/package.sh --chroot DIR   and an install check on a clean Debian 12
#                                       in DIR (made with debootstrap when empty;
#                                       needs root)
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${PYLONIX_PACKAGE_BUILD_DIR:-$ROOT/build-package}"

chroot_dir=""
if [[ ${1:-} == --chroot ]]; then
    chroot_dir="${2:?--chroot needs a folder}"
elif [[ $# -gt 0 ]]; then
    echo "usage: $0 [--chroot DIR]" >&2
    exit 2
fi

source "$ROOT/scripts/packages.sh"
tools=(dpkg-dev lintian desktop-file-utils librsvg2-bin)
if [[ -n $chroot_dir ]]; then tools+=(debootstrap); fi
install_missing "${PACKAGES[@]}" "${tools[@]}"

# Debian's own compiler and linker flags (hardening), under the Release
# optimisation.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
CXXFLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
LDFLAGS="$(dpkg-buildflags --get LDFLAGS)" \
    cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release \
        -DPYLONIX_BUILD_TESTS=OFF -DPYLONIX_BUILD_BENCH=OFF -DPYLONIX_PACKAGE=ON > /dev/null
cmake --build "$BUILD" -j "$(nproc)"

rm -f "$BUILD"/packages/*.deb "$BUILD"/packages/*.tar.gz
(cd "$BUILD" && cpack -G "DEB;TGZ" > cpack.log) || { cat "$BUILD/cpack.log"; exit 1; }
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$BUILD/CMakeCache.txt")"
deb="$BUILD/packages/pylonix_${version}-1_amd64.deb"
tgz="$BUILD/packages/Pylonix-${version}-linux-x86_64.tar.gz"

"$ROOT/packaging/check-package.sh" "$deb" "$tgz"
if [[ -n $chroot_dir ]]; then
    "$ROOT/packaging/chroot-check.sh" "$deb" "$chroot_dir"
fi
echo
echo "Packages:"
ls -l "$deb" "$tgz"
