#!/usr/bin/python3
"""The factory test station's side of port 3, for the process test.

    inlinetest_station.py PORT connect
        sends a line end and "?" until the unit answers "#ACK\\n\\r"
    inlinetest_station.py PORT frame TEXT ANSWER
        sends TEXT (with \\r and \\n escapes) and expects exactly ANSWER back
    inlinetest_station.py PORT expect ANSWER SECONDS
        prints "listening" once the port is open, then expects exactly ANSWER
        within SECONDS (an answer the unit sends later, on its own)

Exit status 0 when the unit answered as expected, 1 otherwise (the bytes
received are printed).
"""
import sys
import time

import serial


def unescape(text):
    return text.encode("latin-1").decode("unicode_escape").encode("latin-1")


def read_some(port, count):
    # The unit's end closes the port under the reader.
    try:
        return port.read(count)
    except serial.SerialException:
        return b""


def read_until(port, want, seconds):
    got = b""
    end = time.monotonic() + seconds
    while time.monotonic() < end and not got.endswith(want):
        got += read_some(port, 1)
    return got


def main():
    port = serial.Serial(sys.argv[1], 115200, timeout=0.2)
    if sys.argv[2] == "connect":
        # The port task compares the first character of a line, and drops
        # what comes before the first line end.
        got = b""
        end = time.monotonic() + 60
        while time.monotonic() < end and not got.endswith(b"#ACK\n\r"):
            port.write(b"\r?")
            got += read_until(port, b"#ACK\n\r", 1.0)
        ok = got.endswith(b"#ACK\n\r")
    elif sys.argv[2] == "expect":
        want = unescape(sys.argv[3])
        print("listening", flush=True)
        got = read_until(port, want, float(sys.argv[4]))
        got += read_some(port, 16)
        ok = got == want
    else:
        want = unescape(sys.argv[4])
        port.write(unescape(sys.argv[3]))
        got = read_until(port, want, 10)
        # Nothing more may follow the answer.
        got += read_some(port, 16)
        ok = got == want
    if not ok:
        print("received %r" % got)
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
