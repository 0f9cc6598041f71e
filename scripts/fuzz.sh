#!/usr/bin/env bash
# Builds every libFuzzer target (fuzz/<name>Fuzz.cpp) with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs each on a copy of its seed corpus (fuzz/corpus/<name>/),
# so the committed corpus stays as it is. Fails on any finding (crash, sanitizer report, leak,
# an input slower than the per-input timeout).
# Usage: scripts/fuzz.sh [seconds per target]   (default 60; RZ_FUZZ_SECONDS also works)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-${RZ_FUZZ_SECONDS:-60}}"

bash scripts/install-deps.sh
cmake --preset fuzz

targets=()
for source in fuzz/*Fuzz.cpp; do
    targets+=("$(basename "$source" .cpp)")
done
cmake --build --preset fuzz --target "${targets[@]}"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
findings="build/fuzz/findings"

for target in "${targets[@]}"; do
    name="${target%Fuzz}"
    mkdir -p "$work/$name" "$findings"
    cp -R "fuzz/corpus/$name/." "$work/$name/"
    echo "== $target: ${seconds}s on a copy of fuzz/corpus/$name"
    if ! "build/fuzz/fuzz/$target" -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$findings/$target-" "$work/$name" \
        >"$work/$target.log" 2>&1; then
        tail -n 60 "$work/$target.log"
        echo "== $target: FINDING (inputs kept in $findings/)" >&2
        exit 1
    fi
    runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$target.log")"
    echo "== $target: no finding in ${runs:-?} inputs"
done
