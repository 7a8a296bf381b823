#!/usr/bin/python3
# Checks that the MIDI files NOTECAST writes are valid Standard MIDI Files.
#
# Each file is read twice: by a strict reader of its own (chunk layout, track
# lengths, variable-length quantities of at most four bytes, a status byte on
# every event, data bytes 0-127, End of Track last in every track) and by the
# mido library with clipping off. Every Note On must be ended by a Note Off on
# its channel and key. The daw command checks what -daw promises on top, and
# the traces command that with -daw every melodic note of the traced tunes is
# there. Exit codes: 0 valid, 1 invalid or a conversion failed, 77 nothing to
# check (mido not installed, or no tunes), which the test runner reports as
# skipped.
#
# usage: check_midi.py selftest | sweep NOTECAST TUNES SECONDS SWEEP_SECONDS
#        | daw NOTECAST TUNES SECONDS | traces NOTECAST TESTDATA

import collections
import csv
import math
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
    if (fmt, tracks) != (0, 1) and (fmt != 1 or tracks < 1) or not 1 <= division <= 0x7FFF:
        raise ValueError("format %d, %d tracks, division %d" % (fmt, tracks, division))
    pos, note_ons = 14, 0
    for _ in range(tracks):
        length = int.from_bytes(data[pos + 4:pos + 8], "big")
        if data[pos:pos + 4] != b"MTrk" or pos + 8 + length > len(data):
            raise ValueError("track chunk header at %d does not match the bytes after it" % pos)
        note_ons += check_track(data[:pos + 8 + length], pos + 8)
        pos += 8 + length
    if pos != len(data):
        raise ValueError("%d bytes after the last track" % (len(data) - pos))
    return note_ons


def check_track(data, pos):
    """One track's events from pos to the end of data; returns its Note Ons."""
    note_ons, ended = 0, False
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
    if midi.type not in (0, 1) or midi.type == 0 and len(midi.tracks) != 1:
        raise ValueError("mido: format %d with %d tracks" % (midi.type, len(midi.tracks)))
    sounding = {}
    for track in midi.tracks:
        if track[-1].type != "end_of_track":
            raise ValueError("mido: a track does not end with End of Track")
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


def smf(events, length_adjust=0, more_tracks=(), fmt=0, count=None):
    chunks = b""
    for i, events_of_track in enumerate([events] + list(more_tracks)):
        track = bytes(events_of_track)
        chunks += b"MTrk" + (len(track) + (length_adjust if i == 0 else 0)).to_bytes(4, "big") + track
    count = 1 + len(more_tracks) if count is None else count
    return b"MThd" + bytes([0, 0, 0, 6, 0, fmt, 0, count, 0, 120]) + chunks


def selftest():
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
        ("format 1", smf(eot, more_tracks=[on + off + eot], fmt=1), True),
        ("format 1, one track short", smf(eot, more_tracks=[on + off + eot], fmt=1, count=3), False),
        ("format 1, note ended on another channel", smf(eot, more_tracks=[on + eot, [10, 0x81, 60, 0] + eot],
                                                        fmt=1), False),
    ]
    failed = 0
    with tempfile.TemporaryDirectory(prefix="notecast-midi-") as d:
        for name, data, valid in cases:
            with open(os.path.join(d, "case.mid"), "wb") as f:
                f.write(data)
            problem, _ = check_file(f.name)
            if (problem is None) != valid:
                failed += 1
                print("FAIL %s: %s" % (name, problem or "not reported"))
    print("%d passed, %d failed" % (len(cases) - failed, failed))
    return 1 if failed else 0


def sweep(notecast, folder, seconds, sweep_seconds):
    """Converts every tune with the defaults and with each option of the sweep."""
    runs = [([], int(seconds))] + [([opt], int(sweep_seconds)) for opt in SWEEP]
    failures, default_notes = [], 0
    with tempfile.TemporaryDirectory(prefix="notecast-midi-") as d:
        out = os.path.join(d, "out.mid")
        for options, time in runs:
            for tune in tune_files(folder):
                try:
                    convert(notecast, options, tune, out, time)
                    problem, notes = check_file(out)
                except Exception as e:  # a failed or unfinished conversion is a finding
                    problem, notes = "%s: %s" % (type(e).__name__, e), 0
                if problem:
                    failures.append("%s %s: %s" % (" ".join(options) or "(defaults)", os.path.basename(tune), problem))
                default_notes += notes if not options else 0
    if default_notes == 0:
        failures.append("no tune produced a single note with the default options")
    return report(failures, "%d option sets, %d notes with the defaults" % (len(runs), default_notes))


def report(failures, summary):
    for f in failures:
        print("FAIL " + f)
    print("%s, %d failed" % (summary, len(failures)))
    return 1 if failures else 0


# -daw is these options with -tracks, which makes the file format 1.
DAW_OPTIONS = ["-env", "-gm", "-kit", "-click", "-split", "-beat", "-vel"]


def convert(notecast, options, tune, out, seconds):
    if os.path.exists(out):
        os.remove(out)  # the program would ask before overwriting it
    cmd = [notecast] + options + ["-t%d" % seconds, tune, out]
    result = subprocess.run(cmd, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                            stderr=subprocess.PIPE, timeout=300)
    if result.returncode != 0 or not os.path.exists(out):
        raise ValueError("exit code %d: %s" % (result.returncode, result.stderr.decode("latin-1").strip()))


def channel_events(midi):
    """Per channel, the (tick, message bytes) of its events in file order."""
    events = collections.defaultdict(list)
    for track in midi.tracks:
        tick = 0
        for msg in track:
            tick += msg.time
            if not msg.is_meta:
                events[msg.channel].append((tick, msg.hex()))
    return events


def check_daw(path, classic_path):
    """What -daw promises beyond a valid file."""
    import mido
    midi = mido.MidiFile(path, clip=False)
    if midi.type != 1 or len(midi.tracks) < 2:
        raise ValueError("not format 1 with a track per channel")
    velocities = set()
    for track in midi.tracks[1:]:
        names = [m.name for m in track if m.type == "track_name"]
        channels = {m.channel for m in track if not m.is_meta}
        notes = [m for m in track if m.type == "note_on" and m.velocity > 0]
        velocities |= {m.velocity for m in notes}
        if not names or not names[0].strip() or len(channels) != 1 or not notes:
            raise ValueError("track %r: no name, not one channel, or no notes" % names)
        if channels == {9}:
            bad = sorted({m.note for m in notes if not 35 <= m.note <= 81})
            if bad:
                raise ValueError("drum keys outside 35-81: %s" % bad)
            continue
        if not any(m.type == "program_change" for m in track):
            raise ValueError("melodic track %r has no program" % names[0])
        ranges = [m.value for m in track if m.type == "control_change" and m.control == 6]
        if not ranges or max(ranges) > 12:
            raise ValueError("track %r: bend range %s" % (names[0], ranges))
    if len(velocities) < 2:
        raise ValueError("velocities do not vary: %s" % sorted(velocities))
    # Every channel's events at the same ticks as in the format-0 file.
    classic = channel_events(mido.MidiFile(classic_path, clip=False))
    tracks = channel_events(midi)
    played = {c for c, ev in classic.items() if any(h.startswith("9") and not h.endswith(" 00") for _, h in ev)}
    for c in played | set(tracks):
        if tracks.get(c) != classic.get(c):
            raise ValueError("channel %d differs from the format-0 file" % c)


def daw(notecast, folder, seconds):
    """Every tune with -daw: a valid format-1 file that keeps the promises."""
    failures = []
    with tempfile.TemporaryDirectory(prefix="notecast-midi-") as d:
        out, classic = os.path.join(d, "daw.mid"), os.path.join(d, "classic.mid")
        for tune in tune_files(folder):
            try:
                convert(notecast, ["-daw"], tune, out, int(seconds))
                convert(notecast, DAW_OPTIONS, tune, classic, int(seconds))
                problem, _ = check_file(out)
                if problem is None:
                    check_daw(out, classic)
            except Exception as e:  # a failed conversion or check is a finding
                problem = "%s: %s" % (type(e).__name__, e)
            if problem:
                failures.append("%s: %s" % (os.path.basename(tune), problem))
    return report(failures, "%d tunes" % len(tune_files(folder)))


FRAME_SECONDS = 19705 / 985248.0  # a PAL vertical-blank frame


def trace_voices(row):
    """Frequencies and control registers of a trace row, hard sync applied as
    the conversion does (voices in order, each seeing the ones before)."""
    freq = [row[1 + 5 * v] for v in range(3)]
    ctrl = [row[3 + 5 * v] for v in range(3)]
    for v in range(3):
        source, modulated = (v + 2) % 3, (v + 1) % 3
        if ctrl[v] & 2 and (freq[source] == 0 or ctrl[source] & 8 or not ctrl[modulated] & 2
                            or freq[source] < 2 * freq[v]):
            freq[v] = freq[source]
    return freq, ctrl


def nearest_keys(freq):
    """MIDI key of a frequency register value; both keys when it lies within
    0.05 semitones of the middle between two."""
    pitch = 69 + 12 * math.log2(freq * 985248 / 16777216 / 440)
    keys = {round(pitch)}
    if abs(pitch - math.floor(pitch) - 0.5) < 0.05:
        keys |= {math.floor(pitch), math.ceil(pitch)}
    return keys


def melodic_notes_found(notecast, tune, trace_path, out):
    """Counts the trace's tonal gate-ons found as melodic notes, as drum hits,
    and missed (with the first few misses)."""
    import mido
    with open(trace_path) as f:
        rows = [[int(x, 16) for x in r] for r in list(csv.reader(f))[1:]]
    voices = [trace_voices(r) for r in rows]
    n = len(rows)

    def tonal(i, v):
        return voices[i][0][v] and not voices[i][1][v] & 0x88 and voices[i][1][v] & 0x70

    def sounds(i, v):
        return voices[i][0][v] and voices[i][1][v] & 0xF0 and not voices[i][1][v] & 0x08

    # Gate-ons. The first row may show the trace emulator's start values
    # rather than what the tune wrote: a gate there counts when it is still
    # set in the second row.
    gates = []
    for v in range(3):
        for i in range(n):
            if voices[i][1][v] & 1 and not (i and voices[i - 1][1][v] & 1) and (i or voices[1][1][v] & 1):
                gates.append((i, v))
    convert(notecast, ["-daw"], tune, out, 60)
    midi = mido.MidiFile(out, clip=False)
    tempo = next(m.tempo for m in midi.tracks[0] if m.type == "set_tempo")
    ons, plays = [], collections.defaultdict(set)  # plays: channel -> voices
    for track in midi.tracks[1:]:
        tick, name = 0, ""
        for m in track:
            tick += m.time
            if m.type == "track_name":
                name = m.name.encode("latin-1").decode("utf-8")
            elif m.type == "note_on" and m.velocity > 0:
                ons.append((mido.tick2second(tick, midi.ticks_per_beat, tempo), m.channel, m.note))
                if name.startswith("Voice"):
                    plays[m.channel] |= {int(w) - 1 for w in name.split(":")[0].replace(",", " ").split()
                                         if w.isdigit()}
    # The file's time 0 is the first note: the first gate-on that sounds.
    start = min(i for i, v in gates if any(sounds(j, v) and voices[j][1][v] & 1 for j in range(i, min(n, i + 6))))
    found = collections.Counter()
    misses = []
    for i, v in gates:
        first = next((j for j in range(i, min(n, i + 4)) if tonal(j, v)), None)
        if first is None:
            continue
        t = (i - start) * FRAME_SECONDS
        keys = nearest_keys(voices[first][0][v])
        near = [(c, k) for s, c, k in ons if abs(s - t) <= 3 * FRAME_SECONDS + 0.006]
        if any(c != 9 and v in plays[c] and k in keys for c, k in near):
            found["melodic"] += 1
            continue
        # A drum hit stands for the note only where the trace shows a drum:
        # noise in its first frames, or a tone falling an octave.
        pitches = [12 * math.log2(voices[j][0][v]) for j in range(first, min(n, first + 8)) if tonal(j, v)]
        drum_like = any(voices[j][1][v] & 0x80 for j in range(i, min(n, i + 8))) or \
            pitches[0] - min(pitches) >= 12
        if drum_like and any(c == 9 for c, _ in near):
            found["drum"] += 1
        else:
            found["missed"] += 1
            misses.append("frame %d voice %d key %s" % (i, v + 1, sorted(keys)))
    return found, misses


def traces(notecast, testdata):
    """With -daw every gate-on after which a voice sounds a tone within three
    frames has a note within three frames at the pitch of its first tonal
    frame (or, for a drum, a drum hit)."""
    pairs = [(tune, os.path.join(testdata, traces_dir, name[:-4] + ".csv"))
             for folder, traces_dir in (("psid", "traces"), ("musician", "musician/traces"))
             for tune in tune_files(os.path.join(testdata, folder))
             for name in [os.path.basename(tune)]
             if os.path.exists(os.path.join(testdata, traces_dir, name[:-4] + ".csv"))]
    if not pairs:
        print("no traces in %s: skipped" % testdata)
        return SKIP
    failed = 0
    with tempfile.TemporaryDirectory(prefix="notecast-midi-") as d:
        for tune, trace in pairs:
            try:
                found, misses = melodic_notes_found(notecast, tune, trace, os.path.join(d, "out.mid"))
            except Exception as e:  # a failed conversion is a finding
                found, misses = collections.Counter(missed=1), ["%s: %s" % (type(e).__name__, e)]
            failed += bool(misses)
            print("%s %s: %d melodic, %d drums, %d missed %s" % (
                "FAIL" if misses else "ok", os.path.basename(tune), found["melodic"], found["drum"],
                found["missed"], "; ".join(misses[:5])))
    return 1 if failed else 0


def tune_files(folder):
    return sorted(os.path.join(folder, n) for n in os.listdir(folder) if n.endswith(".sid")) \
        if os.path.isdir(folder) else []


def main(command, *args):
    try:
        import mido  # noqa: F401
    except ImportError:
        print("python3-mido is not installed: skipped")
        return SKIP
    if command in ("sweep", "daw") and not tune_files(args[1]):
        print("no tunes in %s: skipped" % args[1])
        return SKIP
    return {"selftest": selftest, "sweep": sweep, "daw": daw, "traces": traces}[command](*args)


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
