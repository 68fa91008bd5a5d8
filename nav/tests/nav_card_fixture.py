#!/usr/bin/python3
"""A card folder written by an older unit, from the record format alone.

    nav_card_fixture.py old-card DIR   DIR/data.qwr: version-2 waypoints at
                                       slots 4 and 9, no group records;
                                       DIR/002.qt: a version-2 track of 30
                                       points; DIR/003.Qt: a version-1 track
    nav_card_fixture.py export DIR     the files an export of the test's store
                                       without groups must give: DATA.QWR
                                       (ALPHA slot 0, BRAVO slot 1, route 0),
                                       007.QT (40 points), DATA.QIT (12 points)
    nav_card_fixture.py seed FILE      an input of the card-import fuzz target:
                                       two big-endian U16 lengths, then a
                                       grouped "DATA.QWR", a "DATA.QIT" and a
                                       version-2 track file
"""
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import nav_exchange_fixture as nx  # noqa: E402

BE = nx.BE
V2_DELTAS = 1999
V1_DELTAS = 699


def old_card(folder):
    os.makedirs(folder, exist_ok=True)
    qwr = nx.header(BE, 2, 2, 36, 4, 0) + nx.waypoint(BE, 1, 0, 0, 31, 0, 0x5000, 1000, 2000, "SL HOLD")
    qwr += nx.header(BE, 2, 2, 36, 9, 0) + nx.waypoint(BE, 1, 0, 0, 31, 0, 0x5001, 3000, 4000, "CAMP")
    with open(os.path.join(folder, "data.qwr"), "wb") as f:
        f.write(qwr)
    ring = nx.ring_steps(29, V2_DELTAS, 5)
    body = nx.old_track(BE, V2_DELTAS, 30, 5, 0x6000, (100, 200), (300, 400), "OLD TRACK", [s[:2] for s in ring])
    assert len(body) == 8040
    with open(os.path.join(folder, "002.qt"), "wb") as f:
        f.write(nx.header(BE, 1, 2, 8 + len(body), 2, 0) + body)
    ring = nx.ring_steps(9, V1_DELTAS, 0)
    body = nx.old_track(BE, V1_DELTAS, 10, 0, 0x6001, (1, 2), (3, 4), "V1 TRACK", [s[:2] for s in ring])
    assert len(body) == 2840
    with open(os.path.join(folder, "003.Qt"), "wb") as f:
        f.write(nx.header(BE, 1, 1, 8 + len(body), 3, 0) + body)


def seed(path):
    qwr = nx.header(BE, 2, 3, 36, 0, 0) + nx.group_header(BE, 1, 0, 0, 0xFFFF, 0xC001, "Home")
    qwr += nx.header(BE, 2, 3, 36, 1, 0) + nx.group_body(BE, 0xFFFF, [0xC005, 7, 0x8800, 0x8002, 0x4C00] + [0xFFFF] * 7)
    qwr += nx.header(BE, 2, 3, 36, 5, 0) + nx.group_header(BE, 3, 0, 99, 0xC000, 0xC006, "FISH")
    qwr += nx.header(BE, 2, 3, 36, 6, 0) + nx.group_body(BE, 0xFFFF, [8] + [0xFFFF] * 11)
    qwr += nx.header(BE, 2, 3, 36, 7, 0) + nx.waypoint(BE, 1, 0, 0, 4, 10, 0x5000, 1000, 2000, "SEVEN")
    qwr += nx.header(BE, 2, 3, 36, 8, 0) + nx.waypoint(BE, 3, 0, 0, 5, 0, 0x5001, 3000, 4000, "EIGHT")
    qwr += nx.header(BE, 3, 3, 136, 0, 0) + nx.route(BE, 2, 0, 0, 0x7000, "RT", [7, 8] + [0xFFFF] * 48)
    qit = nx.header(BE, 4, 1, 3080, 0, 0) + nx.rumbrel(BE, 3, (0, 0, 0), [(i, -i) for i in range(352)])
    ring = nx.ring_steps(4, V2_DELTAS, 0)
    qt = nx.header(BE, 1, 2, 8048, 2, 0) + nx.old_track(BE, V2_DELTAS, 5, 0, 0x6000, (1, 2), (5, 6), "TRK",
                                                       [s[:2] for s in ring])
    with open(path, "wb") as f:
        f.write(struct.pack(">HH", len(qwr), len(qit)) + qwr + qit + qt)


def export(folder):
    os.makedirs(folder, exist_ok=True)
    qwr = nx.header(BE, 2, 3, 36, 0, 0) + nx.waypoint(BE, 1, 0, 0, 3, 250, 1000, 100, 200, "ALPHA")
    qwr += nx.header(BE, 2, 3, 36, 1, 0) + nx.waypoint(BE, 3, 0, 0, 3, 250, 1000, 300, 400, "BRAVO")
    qwr += nx.header(BE, 3, 3, 136, 0, 0) + nx.route(BE, 2, 0, 0, 5555, "LAKE RT", [0, 1] + [0] * 48)
    with open(os.path.join(folder, "DATA.QWR"), "wb") as f:
        f.write(qwr)
    ring = [(0, 0, 0)] * nx.RING
    for i in range(1, 40):
        ring[(7 + i - 1) % nx.RING] = (1, -1, i * 10)
    body = nx.track(BE, 40, 7, 4242, ((100, 200), (140, 160), (0, 0), (0, 0)), "TRK", ring)
    with open(os.path.join(folder, "007.QT"), "wb") as f:
        f.write(nx.header(BE, 1, 3, 0, 7, 0) + body)
    points = [(1000 + 3 * i, -2000 + 7 * (i % 5)) for i in range(12)] + [(0, 0)] * (352 - 12)
    with open(os.path.join(folder, "DATA.QIT"), "wb") as f:
        f.write(nx.header(BE, 4, 1, 3080, 0, 0) + nx.rumbrel(BE, 12, (0, 0, 0), points))


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in ("old-card", "export", "seed"):
        sys.exit(__doc__)
    {"old-card": old_card, "export": export, "seed": seed}[sys.argv[1]](sys.argv[2])


if __name__ == "__main__":
    main()
