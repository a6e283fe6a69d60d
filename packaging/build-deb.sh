#!/usr/bin/env bash
# Builds the Debian package as a distribution builds its packages: with the compiler and linker
# flags of dpkg-buildflags (hardening: fortified functions, stack protector, full RELRO with
# immediate binding; -g for the debug-symbols package), prefix /usr, and SOURCE_DATE_EPOCH
# (the last commit's time unless given) for the time stamps of the archives and the manual
# pages, so that building again gives the same files.
# Usage: packaging/build-deb.sh [BUILD_DIR]   (default build-deb; makes zarn_<version>_<arch>.deb
# and zarn-dbgsym_<version>_<arch>.ddeb there)
set -euo pipefail
source=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$source/build-deb}")
cd "$source"
source scripts/ensure-deps.sh
zarn_ensure_packages
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || date +%s)}
export DEB_BUILD_MAINT_OPTIONS=${DEB_BUILD_MAINT_OPTIONS:-hardening=+all}
eval "$(dpkg-buildflags --export=sh)"
# CMake takes CXXFLAGS and LDFLAGS from the environment when it first configures a build; it
# has no variable for the preprocessor's flags.
export CXXFLAGS="$CXXFLAGS $CPPFLAGS"
cmake -S "$source" -B "$build" -DCMAKE_BUILD_TYPE=None -DCMAKE_INSTALL_PREFIX=/usr \
  -DZARN_BUILD_TESTS=OFF -DZARN_BUILD_BENCH=OFF ${CMAKE_CXX_COMPILER_LAUNCHER:+-DCMAKE_CXX_COMPILER_LAUNCHER=$CMAKE_CXX_COMPILER_LAUNCHER}
cmake --build "$build" -j2
cd "$build"
cpack -G DEB
