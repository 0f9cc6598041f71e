#!/usr/bin/env bash
# Installs what is missing, configures, builds and runs every test through CTest.
# Usage: scripts/test.sh [dev|asan|release]   (default: dev; CI uses asan)
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-${RZ_PRESET:-dev}}"

bash scripts/install-deps.sh
cmake --preset "$preset"
cmake --build --preset "$preset"
ctest --preset "$preset" -j"$(nproc)"
