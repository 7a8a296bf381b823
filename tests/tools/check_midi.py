#!/usr/bin/python3
"""Checks that the MIDI files NOTECAST writes are valid Standard MIDI Files.

Each file is read twice: by a strict reader of its own (chunk layout, track
length, variable-length quantities of at most four bytes, a status byte on
every event, data bytes 0-127, End of Track last) and by the mido library
with clipping off. Every Note On must be ended by a Note Off on its channel
and key. Exit codes: 0 valid, 1 invalid or a conversion failed, 77 nothing to
check (mido not installed, or no tunes), which the test runner reports as
skipped.
"""

import argparse
import os
import subprocess
import sys
import tempfile

SKIP = 77
SWEEP = ["-env", "-p2n", "-if", "-noise3", "-sam", "-x1", "-m13", "-ppq96", "-bpm120", "-sc0.5"]
DATA_BYTES = {0x80: 2, 0x90: 2, 0xA0: 2, 0xB0: 2, 0xC0: 1, 0xD0: 1, 0xE0: 2}


def read_varlen(data, pos):
    value = 0
    for _ in range(4):
        b = data[pos]  # IndexError past the end is a finding too
        pos += 1
        value = (value << 7) | (b & 0x7F)
        if b < 0x80:
            return value, pos
    raise ValueError("variable-length quantity longer than four bytes at %d" % (pos - 4))


def check_structure(data):
    """Reads the file event by event; returns the number of Note Ons."""
    if data[0:4] != b"MThd" or int.from_bytes(data[4:8], "big") != 6:
        raise ValueError("no MThd header of length 6")
    fmt, tracks, division = (int.from_bytes(data[i:i + 2], "big") for i in (8, 10, 12))
    if (fmt, tracks) != (0, 1) or not 1 <= division <= 0x7FFF:
        raise ValueError("format %d, %d tracks, division %d" % (fmt, tracks, division))
    if data[14:18] != b"MTrk" or int.from_bytes(data[18:22], "big") != len(data) - 22:
        raise ValueError("track chunk header does not match the %d bytes after it" % (len(data) - 22))
    pos, note_ons, ended = 22, 0, False
    while pos < len(data):
        if ended:
            raise ValueError("events after End of Track at %d" % pos)
        _, pos = read_varlen(data, pos)
        status = data[pos]
        if status == 0xFF:
            size, body = read_varlen(data, pos + 2)
            content = data[body:body + size]
            if len(content) != size:
                raise ValueError("meta event runs past the track end")
            ended = data[pos + 1] == 0x2F
            if data[pos + 1] == 0x51 and (size != 3 or int.from_bytes(content, "big") == 0):
                raise ValueError("bad Set Tempo %s" % content.hex())
            pos = body + size
            continue
        if status < 0x80 or status >= 0xF0:
            raise ValueError("status byte %02X at %d (running status or system event)" % (status, pos))
        values = data[pos + 1:pos + 1 + DATA_BYTES[status & 0xF0]]
        if len(values) != DATA_BYTES[status & 0xF0] or max(values) > 0x7F:
            raise ValueError("bad data bytes %s at %d" % (values.hex(), pos))
        note_ons += status & 0xF0 == 0x90 and values[1] != 0
        pos += 1 + len(values)
    if not ended:
        raise ValueError("track does not end with End of Track")
    return note_ons


def check_with_mido(path):
    import mido
    midi = mido.MidiFile(path, clip=False)
    track = midi.tracks[0]
    if midi.type != 0 or len(midi.tracks) != 1 or track[-1].type != "end_of_track":
        raise ValueError("mido: not one track ending with End of Track")
    sounding = {}
    for msg in track:
        if msg.time < 0:
            raise ValueError("mido: negative delta time")
        if msg.type in ("note_on", "note_off"):
            key = (msg.channel, msg.note)
            step = 1 if msg.type == "note_on" and msg.velocity > 0 else -1
            sounding[key] = sounding.get(key, 0) + step
            if sounding[key] < 0:
                raise ValueError("mido: Note Off without a Note On, channel %d key %d" % key)
    left = sorted(k for k, n in sounding.items() if n)
    if left:
        raise ValueError("mido: notes never ended: %s" % left)


def check_file(path):
    """(None, Note On count) for a valid file, else (the problem, 0)."""
    try:
        with open(path, "rb") as f:
            notes = check_structure(f.read())
        check_with_mido(path)
        return None, notes
    except Exception as e:  # whatever either reader stumbles over is a finding
        return "%s: %s" % (type(e).__name__, e), 0


def smf(events, length_adjust=0):
    track = bytes(events)
    return (b"MThd" + bytes([0, 0, 0, 6, 0, 0, 0, 1, 0, 120]) + b"MTrk" +
            (len(track) + length_adjust).to_bytes(4, "big") + track)


def selftest(_args):
    """Each broken variant of a small valid file must be found out."""
    on, off, eot = [0, 0x90, 60, 100], [10, 0x80, 60, 0], [0, 0xFF, 0x2F, 0]
    cases = [
        ("valid", smf(on + off + eot), True),
        ("data byte above 127", smf([0, 0x90, 60, 0x80] + off + eot), False),
        ("note never ended", smf(on + eot), False),
        ("Note Off without Note On", smf(off + eot), False),
        ("track length too short", smf(on + off + eot, -1), False),
        ("track length too long", smf(on + off + eot, 2), False),
        ("no End of Track", smf(on + off), False),
        ("event after End of Track", smf(on + eot + off), False),
        ("running status", smf(on + [10, 60, 0] + eot), False),
        ("five-byte delta", smf([0x81, 0x80, 0x80, 0x80, 0, 0x90, 60, 100] + off + eot), False),
        ("Set Tempo of zero", smf([0, 0xFF, 0x51, 3, 0, 0, 0] + on + off + eot), False),
    ]
    failed = 0
    with tempfile.TemporaryDirectory(prefix="notecast-midi-") as d:
        for name, data, valid in cases:
            path = os.path.join(d, "case.mid")
            with open(path, "wb") as f:
                f.write(data)
            problem, _ = check_file(path)
            if (problem is None) != valid:
                failed += 1
                print("FAIL %s: %s" % (name, problem or "not reported"))
    print("%d passed, %d failed" % (len(cases) - failed, failed))
    return 1 if failed else 0


def files(args):
    bad = 0
    for path in args.files:
        problem, notes = check_file(path)
        bad += problem is not None
        print("INVALID %s: %s" % (path, problem) if problem else "ok %s (%d notes)" % (path, notes))
    return 1 if bad else 0


def sweep(args):
    """Converts every tune with the defaults and with each option of the sweep."""
    d = args.tunes
    tunes = sorted(os.path.join(d, n) for n in os.listdir(d) if n.lower().endswith(".sid")) \
        if os.path.isdir(d) else []
    if not tunes:
        print("no tunes in %s: skipped" % d)
        return SKIP
    if not os.access(args.notecast, os.X_OK):
        print("FAIL the program %s is not built" % args.notecast)
        return 1
    runs = [([], args.seconds)] + [([opt], args.sweep_seconds) for opt in SWEEP]
    failures, valid, default_notes = [], 0, 0
    with tempfile.TemporaryDirectory(prefix="notecast-midi-") as out_dir:
        for options, seconds in runs:
            label = " ".join(options) or "(defaults)"
            for tune in tunes:
                out = os.path.join(out_dir, "out.mid")
                cmd = [args.notecast] + options + ["-t%d" % seconds, tune, out]
                try:
                    result = subprocess.run(cmd, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                            stderr=subprocess.PIPE, timeout=300)
                    problem = None if result.returncode == 0 and os.path.exists(out) else \
                        "exit code %d: %s" % (result.returncode, result.stderr.decode("latin-1").strip())
                except subprocess.TimeoutExpired:
                    problem = "conversion did not finish"
                notes = 0
                if problem is None:
                    problem, notes = check_file(out)
                if problem:
                    failures.append("%s %s: %s" % (label, os.path.basename(tune), problem))
                else:
                    valid += 1
                default_notes += notes if not options else 0
                if os.path.exists(out):
                    os.remove(out)
    if default_notes == 0:
        failures.append("no tune produced a single note with the default options")
    for f in failures:
        print("FAIL " + f)
    print("%d tunes, %d option sets, %d notes with the defaults" % (len(tunes), len(runs), default_notes))
    print("%d passed, %d failed" % (valid, len(failures)))
    return 1 if failures else 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    commands = parser.add_subparsers(dest="command", required=True)
    commands.add_parser("selftest", help="broken files must be reported").set_defaults(run=selftest)
    p = commands.add_parser("files", help="check the given files")
    p.add_argument("files", nargs="+")
    p.set_defaults(run=files)
    p = commands.add_parser("sweep", help="convert a folder of tunes and check every file")
    p.add_argument("notecast")
    p.add_argument("tunes")
    p.add_argument("--seconds", type=int, default=60, help="playing time with the defaults")
    p.add_argument("--sweep-seconds", type=int, default=20, help="playing time per option")
    p.set_defaults(run=sweep)
    args = parser.parse_args()
    try:
        import mido  # noqa: F401
    except ImportError:
        print("python3-mido is not installed: skipped")
        return SKIP
    return args.run(args)


if __name__ == "__main__":
    sys.exit(main())
