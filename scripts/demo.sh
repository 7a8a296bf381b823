#!/usr/bin/env bash
# Builds NOTECAST (release build in build/) and converts the bundled example
# tune into a MIDI file in out/, then says where the file went.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DNOTECAST_WERROR=ON >/dev/null
cmake --build build --target notecast -j "$(nproc)"

tune=examples/lighthouse_run.sid
midi=out/lighthouse_run.mid
mkdir -p out
# A fresh file each time, so the program never stops to ask before
# overwriting; standard input is closed for the same reason.
rm -f "$midi"
# -daw: a file for a sequencer (a track per instrument, General MIDI sounds,
# the drums on channel 10, velocities); -t54: the song's length.
if ! build/notecast -daw -t54 "$tune" "$midi" </dev/null; then
    echo "The conversion of $tune failed." >&2
    exit 1
fi
echo "MIDI file written to $PWD/$midi"
