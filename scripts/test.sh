#!/usr/bin/env bash
# Builds NOTECAST and runs every test. With --sanitize the build uses
# AddressSanitizer and UndefinedBehaviorSanitizer (in build-sanitize/).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh --tests
dir=build
flags=(-DCMAKE_BUILD_TYPE=Release -DNOTECAST_WERROR=ON)
if [ "${1:-}" = "--sanitize" ]; then
    dir=build-sanitize
    flags=(-DCMAKE_BUILD_TYPE=Debug -DNOTECAST_WERROR=ON -DNOTECAST_SANITIZE=ON)
fi
cmake -S . -B "$dir" "${flags[@]}" >/dev/null
cmake --build "$dir" -j "$(nproc)"
ctest --test-dir "$dir" --output-on-failure -j "$(nproc)"
