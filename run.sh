#!/usr/bin/env bash
# Installs what Rotafond needs, builds the release configuration and starts it.
# Arguments are passed on: ./run.sh /C starts with a cleared store.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/packages.sh
ensure_packages "${BUILD_PACKAGES[@]}"
cmake --preset release >/dev/null
cmake --build --preset release
exec build/release/src/app/rotafond "$@"
