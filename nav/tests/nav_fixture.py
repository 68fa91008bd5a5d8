#!/usr/bin/python3
"""Navigation item files written from the file format alone.

    nav_fixture.py records DIR   one file of each type, the records the
                                 tests build in C++ with the same values
    nav_fixture.py scan DIR      a flash folder for the start-up scan, with
                                 good files and one of each kind of damage
    nav_fixture.py seeds DIR     small inputs for the fuzz targets

DIR stands for the unit's /usr/vondrel; the item folders are made in it.
Every file is an 8-byte header '<IBBH' (mark, type, version, index) and the
record, little-endian, field by field.
"""
import os
import struct
import sys

MARK = 147984
TRACK, WAYPOINT, ROUTE, RUMBREL = 1, 2, 3, 4
VERSION = {TRACK: 3, WAYPOINT: 3, ROUTE: 3, RUMBREL: 1}
FOLDER = {TRACK: "tracks", WAYPOINT: "wpts", ROUTE: "routes", RUMBREL: "rumbrels"}
RING = 21835


def name(text, size):
    raw = text.encode("ascii")
    assert len(raw) <= size
    return raw + b"\0" * (size - len(raw))


def waypoint(status, hide, not_shared, icon, depth, when, x, y, label):
    return struct.pack("<BBHIii", status | hide << 6 | not_shared << 7, icon, depth, when, x, y) + name(label, 12)


def route(count, hide, not_shared, when, label, ids):
    ids = list(ids) + [0xFFFF] * (50 - len(ids))
    return struct.pack("<II", count | hide << 30 | not_shared << 31, when) + name(label, 20) + struct.pack("<50H", *ids)


def track_header(count, first, when, pts, label):
    (fx, fy), (lx, ly), (llx, lly), (urx, ury) = pts
    return struct.pack("<HHI8i", count, first, when, fx, fy, lx, ly, llx, lly, urx, ury) + name(label, 20)


def track(count, first, when, pts, label, steps):
    ring = [(0, 0, 0)] * RING
    for i, step in enumerate(steps):
        ring[(first + i) % RING] = step
    body = b"".join(struct.pack("<hhH", *s) for s in ring)
    return track_header(count, first, when, pts, label) + body + struct.pack("<H", 0)


def rumbrel(count, when, label, fields, points):
    head = struct.pack("<II", count, when) + name(label, 12) + struct.pack("<I", 0)
    head += struct.pack("<6I", *fields["words"])  # flags, feet, last used, visible, style, colour
    head += struct.pack("<4i", *fields["box"])
    head += struct.pack("<Q", fields["uid"])
    head += struct.pack("<6I", *fields["closest"])
    head += struct.pack("<2i", *fields["origin"])
    head += struct.pack("<I", fields["hash"])
    head += b"\0" * 148
    assert len(head) == 256
    pts = list(points) + [(0, 0)] * (352 - len(points))
    return head + b"".join(struct.pack("<ii", *p) for p in pts)


def item_file(kind, index, record, version=None, mark=MARK):
    return struct.pack("<IBBH", mark, kind, VERSION[kind] if version is None else version, index) + record


def put(root, folder, file_name, data):
    path = os.path.join(root, folder)
    os.makedirs(path, exist_ok=True)
    with open(os.path.join(path, file_name), "wb") as f:
        f.write(data)


# The records the C++ tests build as well (nav/tests/nav_test_util.h).

def reference_waypoint_12():
    return waypoint(1, 1, 0, 37, 1234, 0x12345678, -20038300, 15433198, "MARK 0012")


def reference_waypoint_2999():
    return waypoint(3, 0, 1, 200, 65535, 0xFFFFFFFF, 20038300, -15433198, "ABCDEFGHIJKL")


def reference_route_3():
    ids = [0x0000, 0x0001, 0x1005, 0xC000, 0x0BB7] + [3 * i for i in range(5, 50)]
    return route(5, 0, 1, 0xA0B0C0D0, "ROUTE TO HARBOUR", ids)


def reference_track_5():
    steps = [(7 * i - 1000, 500 - 13 * i, (11 * i) % 65536) for i in range(300)]
    pts = [(-100000, 200000), (-90000, 210000), (-120000, -5), (4, 250000)]
    return track(301, 21700, 0x5F5E1000, pts, "TRACK 5", steps)


def reference_rumbrel_7():
    fields = {
        "words": [0x11, 5280, 0x6000001, 1, 1, 22],
        "box": [-300, -400, 300, 400],
        "uid": 0x0123456789ABCDEF,
        # last modified, on chart, closest point, its distance and bearing, card slot
        "closest": [0x7777, 1, 2, 3, 4, 0x4C07],
        "origin": [-1, 1],
        "hash": 0xDEADBEEF,
    }
    pts = [(-300, -400), (300, 400), (0, 0), (12, -12)]
    return rumbrel(4, 0x600D, "TROLL 7", fields, pts)


def write_records(root):
    put(root, "wpts", "12", item_file(WAYPOINT, 12, reference_waypoint_12()))
    put(root, "wpts", "2999", item_file(WAYPOINT, 2999, reference_waypoint_2999()))
    put(root, "routes", "3", item_file(ROUTE, 3, reference_route_3()))
    put(root, "tracks", "5", item_file(TRACK, 5, reference_track_5()))
    put(root, "rumbrels", "7", item_file(RUMBREL, 7, reference_rumbrel_7()))


def write_scan(root):
    wp7 = waypoint(1, 0, 0, 3, 10, 77, 1000, -1000, "SEVEN")
    put(root, "wpts", "5", item_file(WAYPOINT, 7, wp7))                         # fills slot 7
    put(root, "wpts", "2", item_file(WAYPOINT, 2, waypoint(1, 0, 0, 1, 0, 2, 2, 2, "TWO"), version=2))
    put(root, "wpts", "3", item_file(WAYPOINT, 3000, waypoint(1, 0, 0, 1, 0, 3, 3, 3, "PAST")))  # deleted
    put(root, "wpts", "9", item_file(WAYPOINT, 9, waypoint(1, 0, 0, 1, 0, 9, 9, 9, "NINE"), mark=MARK + 1))  # deleted
    put(root, "wpts", "11", item_file(TRACK, 11, waypoint(1, 0, 0, 1, 0, 11, 11, 11, "TRACK?")))  # refused
    put(root, "wpts", "17.tmp", item_file(WAYPOINT, 17, waypoint(1, 0, 0, 1, 0, 17, 17, 17, "TORN"))[:20])
    put(root, "wpts", "4", item_file(WAYPOINT, 4, waypoint(1, 0, 0, 1, 0, 4, 4, 4, "SHORT"))[:30])  # refused

    put(root, "routes", "1", item_file(ROUTE, 1, route(2, 0, 0, 1, "ONE", [7, 2])))
    put(root, "routes", "4", item_file(ROUTE, 4, route(2, 0, 0, 4, "FOUR", [7, 2]))[:108])  # refused: short
    put(root, "routes", "6", item_file(ROUTE, 6, route(51, 0, 0, 6, "SIX", [7] * 50)))  # refused: count

    pts = [(0, 0), (30, 60), (0, 0), (30, 60)]
    steps = [(10, 20, 5)] * 3
    put(root, "tracks", "0", item_file(TRACK, 0, track(4, 0, 100, pts, "GOOD", steps)))
    put(root, "tracks", "8", item_file(TRACK, 8, track(21837, 0, 100, pts, "COUNT", steps)))  # refused
    put(root, "tracks", "9", item_file(TRACK, 9, track(4, 21835, 100, pts, "FIRST", steps)))  # refused
    put(root, "tracks", "10", item_file(TRACK, 10, track(4, 0, 100, pts, "SHORT", steps))[:1000])  # refused

    fields = {"words": [0] * 6, "box": [0] * 4, "uid": 9, "closest": [0] * 6, "origin": [0, 0], "hash": 0}
    put(root, "rumbrels", "2", item_file(RUMBREL, 2, rumbrel(2, 1, "R2", fields, [(1, 1), (2, 2)])))
    put(root, "rumbrels", "3", item_file(RUMBREL, 3, rumbrel(353, 1, "R3", fields, [(1, 1)])))  # refused


def write_seeds(root):
    put(root, "nav_scan", "waypoint", item_file(WAYPOINT, 12, reference_waypoint_12()))
    put(root, "nav_scan", "route", item_file(ROUTE, 3, reference_route_3()))
    # Version bit 6 asks the fuzz target to pad the file to a whole track.
    put(root, "nav_scan", "track_header", item_file(TRACK, 5, reference_track_5(), version=0x43)[:200])
    base = struct.pack("<iiH", 1000, -2000, 50)
    steps = b"".join(struct.pack("<hhH", *s) for s in [(5, 5, 60), (32767, 32767, 0), (-32768, -32768, 0), (9, -9, 61)])
    put(root, "nav_track_log", "log", base + steps)
    put(root, "nav_track_log", "sentinel", base + b"".join(
        struct.pack("<hhH", *s) for s in [(32767, 32767, 50), (-32768, -32768, 50), (1, 1, 50), (3, 3, 51)]))


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in ("records", "scan", "seeds"):
        sys.exit(__doc__)
    {"records": write_records, "scan": write_scan, "seeds": write_seeds}[sys.argv[1]](sys.argv[2])


if __name__ == "__main__":
    main()
