#!/usr/bin/env bash
# Installs what the tests need, builds the debug configuration and runs the
# whole test suite (end-to-end tests inside a private X desktop).
set -euo pipefail
cd "$(dirname "$0")"
source scripts/packages.sh
ensure_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
cmake --preset debug
cmake --build --preset debug
# Every program the tests need was installed above, so inside the test desktop
# no test may skip: a skip there would hide a test that never ran.
log=build/debug/ctest-output.log
scripts/with-desktop.sh ctest --preset debug "$@" 2>&1 | tee "$log"
if grep -q '\*\*\*Skipped' "$log"; then
    echo "These tests skipped inside the test desktop:" >&2
    grep '\*\*\*Skipped' "$log" >&2
    exit 1
fi
