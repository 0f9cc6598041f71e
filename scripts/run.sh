#!/usr/bin/env bash
# Installs what is missing, builds the tool and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
cmake --preset release
cmake --build --preset release
exe=build/release/app/reZevavEvadurov
if [ ! -x "$exe" ]; then
    echo "Built the libraries; the settings dialog is not part of this build yet."
    exit 0
fi
exec "$exe" "$@"
