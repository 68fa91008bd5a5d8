"""A PC service tool on the unit's port 3, for the process test.

Usage: pcc_peer.py ROOT PC_DEVICE VIEWER

Talks to the unit through PC_DEVICE (the far end of the pseudo-terminal
pair whose near end is ROOT/dev/ttyO3): opens a connection with "#T",
takes a snapshot of the screen with VIEWER, switches the port to 115200
and back to 38400 baud, writes a setting, waits for the settings files and
wipes the unit with "W" "ALL". Exits 0 when every step held, else prints
what failed and exits 1.
"""

import os
import struct
import subprocess
import sys
import termios
import time
import zlib

import serial

ROOT, PC_DEVICE, VIEWER = sys.argv[1:4]
SETTINGS_FILES = ["nvr_entries.dat", "nvr_statbit.dat"]


def fail(text):
    print("FAIL:", text)
    sys.exit(1)


def read_until(port, expected, seconds):
    got = b""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        got += port.read(256)
        if expected in got:
            return got
    return got


def unit_speed():
    """The output speed the unit set on its end of the line."""
    fd = os.open(os.path.join(ROOT, "dev/ttyO3"), os.O_RDWR | os.O_NOCTTY | os.O_NONBLOCK)
    try:
        return termios.tcgetattr(fd)[5]
    finally:
        os.close(fd)


def png_pixels(path):
    """Width, height and rows of (r, g, b) of an 8-bit RGB or RGBA PNG."""
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        fail("snapshot is not a PNG")
    pos, idat = 8, b""
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, ctype = struct.unpack(">IIBB", body[:10])
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    if depth != 8 or ctype not in (2, 6):
        fail("snapshot format %d/%d not read here" % (depth, ctype))
    bpp = 3 if ctype == 2 else 4
    raw = zlib.decompress(idat)
    stride = width * bpp
    rows, prev = [], bytearray(stride)
    for y in range(height):
        f = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - bpp] if i >= bpp else 0
            b = prev[i]
            c = prev[i - bpp] if i >= bpp else 0
            if f == 1:
                line[i] = (line[i] + a) & 0xFF
            elif f == 2:
                line[i] = (line[i] + b) & 0xFF
            elif f == 3:
                line[i] = (line[i] + (a + b) // 2) & 0xFF
            elif f == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                pred = a if pa <= pb and pa <= pc else (b if pb <= pc else c)
                line[i] = (line[i] + pred) & 0xFF
        rows.append([tuple(line[x * bpp:x * bpp + 3]) for x in range(width)])
        prev = line
    return width, height, rows


def shows_pc_connect(path):
    """A black title band along the top over a white page."""
    width, height, rows = png_pixels(path)
    dark = lambda p: sum(p) < 120
    light = lambda p: min(p) > 200
    top = rows[2]
    middle = rows[height * 3 // 4]
    return (sum(1 for p in top if dark(p)) > width * 0.8
            and sum(1 for p in middle if light(p)) > width * 0.9)


def main():
    pc = serial.Serial(PC_DEVICE, 38400, timeout=0.2)

    # The unit drops what comes before its first line end; it may still be
    # starting, so the opening line is sent until it answers.
    deadline = time.monotonic() + 60
    while True:
        pc.write(b"\r#T\r")
        if b"#1234567890\r\n" in read_until(pc, b"#1234567890\r\n", 1):
            break
        if time.monotonic() > deadline:
            fail("no answer to #T")
    time.sleep(0.5)
    pc.reset_input_buffer()

    png = os.path.join(ROOT, "tmp/pcc.png")
    deadline = time.monotonic() + 30
    while True:
        done = subprocess.run([VIEWER, "--root", ROOT, "--snapshot", png], capture_output=True)
        if done.returncode == 0 and shows_pc_connect(png):
            break
        if time.monotonic() > deadline:
            fail("the screen does not show the PC Connect view: %s" % done.stderr.decode(errors="replace"))
        time.sleep(0.5)

    pc.write(b"#b\r")
    if read_until(pc, b"#ACK\n\r", 5) != b"#ACK\n\r":
        fail("no #ACK to b")
    if unit_speed() != termios.B115200:
        fail("the #ACK to b came before the port ran at 115200")
    pc.baudrate = 115200

    pc.write(b"#n\r")
    if read_until(pc, b"#ACK\n\r", 5) != b"#ACK\n\r":
        fail("no #ACK to n")
    deadline = time.monotonic() + 5
    while unit_speed() != termios.B38400:
        if time.monotonic() > deadline:
            fail("the port did not go to 38400 after n")
        time.sleep(0.01)
    pc.baudrate = 38400

    pc.write(b"#sSPCT0x00000001\r")
    if read_until(pc, b"#ACK\n\r", 5) != b"#ACK\n\r":
        fail("no #ACK to s")
    cwd = os.path.join(ROOT, "usr/vondrel")
    deadline = time.monotonic() + 30
    while not all(os.path.exists(os.path.join(cwd, f)) for f in SETTINGS_FILES):
        if time.monotonic() > deadline:
            fail("the settings were not saved")
        time.sleep(0.1)

    pc.write(b"#WALL\r")
    pc.close()
    print("OK")


main()
