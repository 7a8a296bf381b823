#!/usr/bin/env bash
# Installs what the build and the tests need on a fresh Debian machine.
# With --tests also what only the tests use: a browser that renders the
# pictures of -svg (the test is skipped without it).
set -euo pipefail
need=()
command -v cmake >/dev/null || need+=(cmake)
command -v g++ >/dev/null || need+=(g++)
command -v acme >/dev/null || need+=(acme)
[ -f /usr/include/gtest/gtest.h ] || need+=(libgtest-dev)
[ -f /usr/include/benchmark/benchmark.h ] || need+=(libbenchmark-dev)
# The MIDI file check reads the written files with Debian's MIDI parser.
/usr/bin/python3 -c 'import mido' 2>/dev/null || need+=(python3-mido)
if [ "${1:-}" = "--tests" ]; then
    command -v chromium >/dev/null || need+=(chromium)
fi
if [ ${#need[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${need[@]}"
fi
