#!/usr/bin/python3
"""Checks the pictures that -svg draws (SvgCheck.cmake says which); each
command converts with the program and reads what it drew. Exit codes: 0
good, 1 a finding, 77 nothing to check (no tunes, no browser), which the
test runner reports as skipped."""

import collections
import glob
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ElementTree
import zlib

SKIP = 77
SVG = "{http://www.w3.org/2000/svg}svg"
SIZE_BOUND = 4 * 1024 * 1024
EXAMPLE_ARGS = ["-daw", "-t54"]
EXAMPLE_PICTURE = os.path.join("docs", "lighthouse_run.svg")
# The colours of channels 1-4 and 10 (PianoRoll.cpp).
CHANNEL_COLOURS = {1: (0x1F, 0x77, 0xB4), 2: (0xD6, 0x27, 0x28), 3: (0x2C, 0xA0, 0x2C),
                   4: (0xFF, 0x7F, 0x0E), 10: (0x37, 0x47, 0x4F)}
NOTE_OPACITIES = (1.0, 0.85, 0.7, 0.55)


def convert(binary, tune, folder, options, name="out.mid"):
    """Runs a conversion with -svg; returns the picture's path, or None when
    the program refused the tune."""
    output = os.path.join(folder, name)
    result = subprocess.run([binary, "-y", "-svg", *options, tune, output], stdin=subprocess.DEVNULL,
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, timeout=300)
    picture = os.path.splitext(output)[0] + ".svg"
    if result.returncode != 0:
        return None
    if not os.path.exists(picture):
        raise AssertionError("%s %s: converted, but no picture" % (tune, options))
    return picture


def parse(picture, what=""):
    try:
        root = ElementTree.parse(picture).getroot()
    except ElementTree.ParseError as error:
        raise AssertionError("%s: %s" % (what or picture, error))
    if root.tag != SVG or float(root.get("width", "0")) <= 0 or float(root.get("height", "0")) <= 0:
        raise AssertionError("%s: no sized SVG root element" % (what or picture))
    return root


def hostile_tune(path):
    """A PSID tune whose init and play routines return at once, with texts
    full of markup, control codes and bytes that are not UTF-8."""
    def text(raw):
        return raw.ljust(32, b"\0")[:32]
    header = struct.pack(">4sHHHHHHHI32s32s32sHBBBB", b"PSID", 2, 0x7C, 0, 0x1000, 0x1001, 1, 1, 0,
                         text(b"<a&b>\x01\x1b]]>\"'\xe9\xff\xfe"), text(b"&amp;\x7f\x80\xc3("),
                         text(b"\xe2\x86"), 0, 0, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(header + bytes([0x00, 0x10, 0x60, 0x60]))


def tunes(testdata):
    found = []
    for pattern in ("psid/*.sid", "musician/*.sid", "mus/*.MUS", "pp20/*.pp", "multisid/*.sid",
                    "rsid-wrapped/*.sid"):
        found += sorted(glob.glob(os.path.join(testdata, pattern)))
    return found


def wellformed(binary, testdata):
    inputs = tunes(testdata)
    if not inputs:
        print("SKIP: no shared tunes in %s" % testdata)
        return SKIP
    with tempfile.TemporaryDirectory() as folder:
        hostile = os.path.join(folder, "hostile.sid")
        hostile_tune(hostile)
        checked = 0
        for tune in inputs + [hostile]:
            for options in (["-t60"], ["-daw", "-t60"], ["-2txt", "-noise3", "-t20"]):
                picture = convert(binary, tune, folder, options)
                if picture is None:
                    if "/psid/" in tune or tune == hostile:
                        raise AssertionError("%s %s: the conversion failed" % (tune, options))
                    continue
                parse(picture, "%s %s" % (tune, options))
                checked += 1
    print("%d pictures of %d tunes are well-formed SVG documents" % (checked, len(inputs) + 1))
    return 0


def long_songs(binary, testdata):
    cases = [("psid/12-speed_tune.sid", ["-p2n", "-noise3"]), ("psid/Last_Ninja.sid", ["-daw"]),
             ("psid/Gryzor.sid", ["-daw"])]
    cases = [(os.path.join(testdata, tune), options) for tune, options in cases]
    if not all(os.path.exists(tune) for tune, _ in cases):
        print("SKIP: shared tunes missing")
        return SKIP
    with tempfile.TemporaryDirectory() as folder:
        for tune, options in cases:
            picture = convert(binary, tune, folder, options + ["-t600"])
            size = os.path.getsize(picture)  # before parsing: an oversized picture fails at once
            width = float(parse(picture).get("width")) if size <= SIZE_BOUND else 0
            print("%s %s: %d bytes, %d pixels wide" % (os.path.basename(tune), options, size, width))
            if size > SIZE_BOUND or width > 12500:
                raise AssertionError("ten minutes drawn in %d bytes, %d pixels wide" % (size, width))
    return 0


def png_rgb(path):
    """The pixels of an 8-bit RGB or RGBA PNG file, as (width, height, rows
    of bytes, bytes per pixel)."""
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise AssertionError("%s is no PNG file" % path)
    pos, idat = 8, b""
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        elif kind == b"IEND":
            break
    if depth != 8 or colour not in (2, 6) or interlace:
        raise AssertionError("%s: PNG of a kind this check does not read" % path)
    bpp = 3 if colour == 2 else 4
    raw = zlib.decompress(idat)
    stride = width * bpp
    rows, previous = [], bytearray(stride)
    for y in range(height):
        start = y * (stride + 1)
        kind, line = raw[start], bytearray(raw[start + 1:start + 1 + stride])
        for i in range(stride):
            left = line[i - bpp] if i >= bpp else 0
            up = previous[i]
            if kind == 1:
                line[i] = (line[i] + left) & 255
            elif kind == 2:
                line[i] = (line[i] + up) & 255
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 255
            elif kind == 4:
                corner = previous[i - bpp] if i >= bpp else 0
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                line[i] = (line[i] + (left if pa <= pb and pa <= pc else up if pb <= pc else corner)) & 255
        rows.append(line)
        previous = line
    return width, height, rows, bpp


def browser(binary, source, testdata):
    chromium = shutil.which("chromium") or shutil.which("chromium-browser")
    if chromium is None:
        print("SKIP: Chromium is not installed")
        return SKIP
    example = os.path.join(source, "examples", "lighthouse_run.sid")
    cases = [(example, EXAMPLE_ARGS, {1, 2, 3, 10}),
             (os.path.join(testdata, "psid", "Commando.sid"), ["-daw", "-t30"], {1, 2, 10}),
             (os.path.join(testdata, "psid", "Delta.sid"), ["-2txt", "-daw", "-t30"], {1, 2, 3})]
    cases = [case for case in cases if os.path.exists(case[0])]
    with tempfile.TemporaryDirectory() as folder:
        for number, (tune, options, channels) in enumerate(cases):
            picture = convert(binary, tune, folder, options, "render%d.mid" % number)
            root = parse(picture)
            width, height = int(float(root.get("width"))), int(float(root.get("height")))
            png = os.path.join(folder, "render%d.png" % number)
            profile = tempfile.mkdtemp(dir=folder)
            flags = "headless no-sandbox disable-gpu disable-quic no-first-run disable-background-networking " \
                "disable-component-update disable-sync hide-scrollbars".split()
            subprocess.run([chromium, *("--" + f for f in flags), "--user-data-dir=" + profile, "--screenshot=" + png,
                            "--window-size=%d,%d" % (width, height), "file://" + picture],
                           stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=180)
            if not os.path.exists(png):
                raise AssertionError("%s: Chromium made no image" % picture)
            columns, lines, rows, bpp = png_rgb(png)
            # A channel's notes: its colour at each velocity's opacity over
            # the white and the shaded rows, within the renderer's rounding.
            shades = {(c, tuple(round(opacity * a + (1 - opacity) * b) for a, b in zip(CHANNEL_COLOURS[c], ground)))
                      for c in channels for opacity in NOTE_OPACITIES for ground in ((255,) * 3, (0xEC, 0xEF, 0xF3))}
            pixels = collections.Counter(bytes(row[i:i + 3]) for row in rows for i in range(0, len(row), bpp))
            drawn = sum(n for p, n in pixels.items() if p != b"\xff\xff\xff")
            counts = {c: sum(n for p, n in pixels.items() if any(k == c and max(map(abs, map(int.__sub__, p, s))) <= 2
                                                                  for k, s in shades)) for c in channels}
            print("%s %s: %dx%d, %d drawn pixels, by channel %s" % (os.path.basename(tune), options,
                                                                    columns, lines, drawn, counts))
            # More than the legend's swatch (144 pixels) for every channel.
            if drawn < columns * lines // 50 or min(counts.values()) < 400:
                raise AssertionError("%s: the rendered picture is blank or lacks a channel" % picture)
    return 0


def example(binary, source, write):
    committed = os.path.join(source, EXAMPLE_PICTURE)
    with tempfile.TemporaryDirectory() as folder:
        picture = convert(binary, os.path.join(source, "examples", "lighthouse_run.sid"), folder,
                          EXAMPLE_ARGS, "lighthouse_run.mid")
        drawn = open(picture, "rb").read()
    if write:
        with open(committed, "wb") as f:
            f.write(drawn)
        print("wrote " + committed)
        return 0
    if not os.path.exists(committed) or open(committed, "rb").read() != drawn:
        raise AssertionError("%s is not what the program draws; remake it with: "
                             "cmake --build <build dir> --target example_picture" % committed)
    print(committed + " is current")
    return 0


# usage: check_svg.py wellformed|long BINARY TESTDATA; browser BINARY SOURCE TESTDATA;
#        example BINARY SOURCE [--write]
def main(argv):
    commands = {"wellformed": wellformed, "long": long_songs, "browser": browser,
                "example": lambda binary, source, *write: example(binary, source, write == ("--write",))}
    try:
        return commands[argv[1]](*argv[2:])
    except (AssertionError, subprocess.TimeoutExpired) as finding:
        print("FAIL: %s" % finding)
        return 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
