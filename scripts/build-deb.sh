#!/usr/bin/env bash
# Builds the Debian package in one go: a release build with Debian's hardening
# flags in build/deb, packed by CPack, checked by lintian (errors fail).
# The package ends up as build/deb/rotafond_<version>_<arch>.deb.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
ensure_packages "${BUILD_PACKAGES[@]}" "${PACKAGE_PACKAGES[@]}"

export DEB_BUILD_MAINT_OPTIONS=hardening=+all
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"
export CXXFLAGS LDFLAGS
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build/deb -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
cmake --build build/deb --target rotafond rotafond_data
rm -f build/deb/rotafond_*.deb
(cd build/deb && cpack -G DEB >/dev/null)
package=$(ls build/deb/rotafond_*.deb)
echo "Built $package"
lintian --fail-on error "$package"
