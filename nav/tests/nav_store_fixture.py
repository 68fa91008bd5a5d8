#!/usr/bin/python3
"""Flash folders for the store's start-up, written from the file format alone.

    nav_store_fixture.py grouped DIR     a store with a root group, a sub-group,
                                         waypoints, a route and a recorded track
    nav_store_fixture.py upgrade DIR     5 shared waypoints and 2 routes, no groups
    nav_store_fixture.py late-root DIR   a root header in slot 3, after waypoints
    nav_store_fixture.py compaction DIR  locked waypoints close above the shared
                                         ones, routes of both parts, no groups
    nav_store_fixture.py full DIR        every slot in use (root group, 2748
                                         waypoints), 50 routes, 50 saved tracks
                                         and 50 recorded tracks, all in the root

DIR stands for the unit's /usr/vondrel. Group records are 28-byte slots of the
waypoint folder: a header '<BBHIHHHH12s' (status 16, icon, depth, date, parent,
reserved, first body, reserved, name) or a body '<BBH12H' (status 17, icon,
next, 12 links).
"""
import struct
import sys

import nav_fixture as f

NONE = 0xFFFF
SEP = 0xCFFF


def header(name, parent, first, locked=0, icon=1):
    return struct.pack("<BBHIHHHH", 16 | locked << 7, icon, 0, 0, parent, 0, first, 0) + f.name(name, 12)


def body(links, nxt, locked=0):
    links = list(links) + [NONE] * (12 - len(links))
    return struct.pack("<BBH12H", 17 | locked << 7, 0, nxt, *links)


def slot(root, index, record):
    f.put(root, "wpts", str(index), f.item_file(f.WAYPOINT, index, record))


def wpt(index, label, locked=0, status=1):
    return f.waypoint(status, 0, locked, 3, 0, 1000 + index, 1000 * index, -500 * index, label)


def route(root, index, label, ids, locked=0):
    f.put(root, "routes", str(index), f.item_file(f.ROUTE, index, f.route(len(ids), 0, locked, 7000 + index, label, ids)))


def rumbrel(root, index, label):
    fields = {"words": [0, 0, 0, 1, 1, 17], "box": [0, 0, 30, 30], "uid": 0x0000600100000000 | index,
              "closest": [0, 0, 0, 0, 0, 0], "origin": [0, 0], "hash": 0}
    data = f.rumbrel(3, 900 + index, label, fields, [(0, 0), (10, 10), (30, 30)])
    f.put(root, "rumbrels", str(index), f.item_file(f.RUMBREL, index, data))


def grouped(root):
    slot(root, 0, header("Home", NONE, 0xC001))
    slot(root, 1, body([5, 6, 0x8800, 0xC002, 0x4C00], SEP))
    slot(root, 2, header("FISH", 0xC000, 0xC003, icon=4))
    slot(root, 3, body([7], NONE))
    slot(root, 2999, body([2990], NONE, locked=1))
    for i, label in ((5, "FIVE"), (6, "SIX"), (7, "SEVEN")):
        slot(root, i, wpt(i, label))
    slot(root, 2990, wpt(2990, "LOCKED", locked=1))
    route(root, 0, "HOME RUN", [5, 6])
    rumbrel(root, 0, "TROLL")


def upgrade(root):
    for i in range(5):
        slot(root, i, wpt(i, "WP%03d" % (i + 1)))
    route(root, 0, "FIRST", [0, 1, 2])
    route(root, 1, "SECOND", [3, 4])


def late_root(root):
    for i in range(3):
        slot(root, i, wpt(i, "EARLY%d" % i))
    slot(root, 3, header("Home", NONE, 0xC004))
    slot(root, 4, body([0, 1, 2], SEP))
    slot(root, 2999, body([], NONE, locked=1))


def compaction(root):
    for i in range(10):
        slot(root, i, wpt(i, "S%02d" % i))
    for i in (12, 13, 14):
        slot(root, i, wpt(i, "L%02d" % i, locked=1))
    route(root, 0, "SHARED", [0, 1])
    route(root, 49, "LOCKED", [12, 13, 14], locked=1)


def full(root):
    # Root header, 250 shared bodies holding every item, the locked body
    # last; the waypoints fill every other slot.
    n_bodies = 250
    wpts = list(range(1 + n_bodies, 2999))
    items = wpts + [0x8800 | r for r in range(50)] + [0x8040 | t for t in range(50)] + [0x4C00 | r for r in range(50)]
    slot(root, 0, header("Home", NONE, 0xC001))
    for b in range(n_bodies):
        nxt = 0xC000 | (2 + b) if b < n_bodies - 1 else SEP
        slot(root, 1 + b, body(items[12 * b:12 * b + 12], nxt))
    slot(root, 2999, body([], NONE, locked=1))
    for i in wpts:
        slot(root, i, wpt(i, "W%04d" % i))
    for r in range(50):
        route(root, r, "R%02d" % r, [wpts[r], wpts[r + 1]])
    pts = [(0, 0), (30, 60), (0, 0), (30, 60)]
    steps = [(10, 20, 5)] * 99
    for t in range(50):
        f.put(root, "tracks", str(t), f.item_file(f.TRACK, t, f.track(100, 0, 100 + t, pts, "T%02d" % t, steps)))
    for r in range(50):
        rumbrel(root, r, "RB%02d" % r)


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    {"grouped": grouped, "upgrade": upgrade, "late-root": late_root, "compaction": compaction,
     "full": full}[sys.argv[1]](sys.argv[2])


if __name__ == "__main__":
    main()
