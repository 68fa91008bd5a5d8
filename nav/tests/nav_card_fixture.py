#!/usr/bin/python3
"""A card folder written by an older unit, from the record format alone.

    nav_card_fixture.py old-card DIR   DIR/data.qwr: version-2 waypoints at
                                       slots 4 and 9, no group records;
                                       DIR/002.qt: a version-2 track of 30
                                       points; DIR/003.Qt: a version-1 track
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


def main():
    if len(sys.argv) != 3 or sys.argv[1] != "old-card":
        sys.exit(__doc__)
    old_card(sys.argv[2])


if __name__ == "__main__":
    main()
