#!/usr/bin/env bash
# Installs what the tests need, builds the debug configuration and runs the
# whole test suite (end-to-end tests inside a private X desktop).
set -euo pipefail
cd "$(dirname "$0")"
source scripts/packages.sh
ensure_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
cmake --preset debug
cmake --build --preset debug
scripts/with-desktop.sh ctest --preset debug "$@"
