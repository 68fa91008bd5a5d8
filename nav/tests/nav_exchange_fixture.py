#!/usr/bin/python3
"""Exchange records written from the record format alone.

    nav_exchange_fixture.py records DIR   pairs NAME.le / NAME.be: one record
                                          in the unit's order and in card order
    nav_exchange_fixture.py stream DIR    item files of a small store under
                                          DIR (the unit's /usr/vondrel) and the
                                          streams it must give: stream.ext,
                                          stream.plain
    nav_exchange_fixture.py seeds DIR     inputs for the fuzz target (DIR/nav_data):
                                          byte 0 even: blocks for the consumer,
                                          odd: one record

A record is an 8-byte header (type, version, size, index, reserved) and a
body. Card order packs every field big-endian ('>') except those the format
keeps as they lie, which stay little-endian ('<'); the unit's order packs
all of them '<'. Each builder below takes the order of the converted fields.
"""
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import nav_fixture as nf  # noqa: E402

LE, BE = "<", ">"
RING = 21835


def header(e, kind, version, size, index, reserved=0x1234):
    return struct.pack("<BB", kind, version) + struct.pack(e + "HH", size, index) + struct.pack("<H", reserved)


def waypoint(e, status, hide, not_shared, icon, depth, when, x, y, label):
    return struct.pack("<BB", status | hide << 6 | not_shared << 7, icon) + \
        struct.pack(e + "HIii", depth, when, x, y) + nf.name(label, 12)


def group_header(e, icon, depth, when, parent, first_body, label):
    return struct.pack("<BB", 16, icon) + struct.pack(e + "HIHHHH", depth, when, parent, 0x0102, first_body, 0x0304) + \
        nf.name(label, 12)


def group_body(e, next_index, items):
    return struct.pack("<BB", 17, 0) + struct.pack(e + "13H", next_index, *items)


def route(e, count, hide, not_shared, when, label, ids):
    converted = min(count, 50)
    return struct.pack(e + "II", count | hide << 30 | not_shared << 31, when) + nf.name(label, 20) + \
        b"".join(struct.pack((e if i < converted else LE) + "H", v) for i, v in enumerate(ids))


def route_v1(e, count, hide, not_shared, when, label, ids):
    converted = min(count, 20)
    return struct.pack(e + "II", count | hide << 30 | not_shared << 31, when) + \
        b"".join(struct.pack((e if i < converted else LE) + "H", v) for i, v in enumerate(ids)) + nf.name(label, 20)


def track(e, count, first, when, pts, label, ring):
    (fx, fy), (lx, ly), (llx, lly), (urx, ury) = pts
    converted = min(count, RING)
    body = struct.pack(e + "HHI8i", count, first, when, fx, fy, lx, ly, llx, lly, urx, ury) + nf.name(label, 20)
    body += b"".join(struct.pack((e if i < converted else LE) + "hhH", *s) for i, s in enumerate(ring))
    return body + struct.pack("<H", 0xBEEF)


def old_track(e, length, count, first, when, first_pt, last_pt, label, ring):
    assert len(ring) == length
    converted = min(count, length)
    body = struct.pack(e + "HHI4i", count, first, when, *first_pt, *last_pt)
    body += b"".join(struct.pack((e if i < converted else LE) + "hh", *s) for i, s in enumerate(ring))
    return body + nf.name(label, 20)


def rumbrel(e, count, closest, points):
    converted = min(count, 352)
    head = struct.pack(e + "II", count, 0x600D) + nf.name("TROLL", 12) + struct.pack("<I", 0xA5A5A5A5)
    head += struct.pack("<I", 0x11223344)  # flags stay as they lie
    head += struct.pack(e + "5I", 5280, 0x6000001, 1, 2, 22)
    head += struct.pack(e + "4i", -300, -400, 300, 400)
    head += struct.pack(e + "Q", 0x0123456789ABCDEF)
    head += struct.pack(e + "I", 0x7777)
    head += struct.pack("<I", 1)
    head += struct.pack("<3I", *closest)
    head += struct.pack("<I", 0x4C07) + struct.pack("<2i", -1, 1) + struct.pack("<I", 0xDEADBEEF)
    head += bytes(range(148))
    assert len(head) == 256
    return head + b"".join(struct.pack((e if i < converted else LE) + "ii", *p) for i, p in enumerate(points))


def s16(v):
    return (v + 32768) % 65536 - 32768


def ring_steps(n, length=RING, start=0):
    ring = [(0, 0, 0)] * length
    for i in range(n):
        ring[(start + i) % length] = (s16(7 * i - 1000), s16(500 - 13 * i), (11 * i) % 65536)
    return ring


def pair(kind, version, size, index, body):
    """Card-order and unit-order records of one case: body(e) builds the body."""
    return {LE: header(LE, kind, version, size, index) + body(LE), BE: header(BE, kind, version, size, index) + body(BE)}


def cases():
    c = {}
    c["waypoint"] = pair(2, 3, 36, 12, lambda e: waypoint(e, 1, 1, 0, 37, 1234, 0x12345678, -20038300, 15433198,
                                                          "MARK 0012"))
    c["free_slot"] = pair(2, 3, 36, 7, lambda e: waypoint(e, 0, 0, 1, 31, 7, 0x01020304, -5, 6, "SL001"))
    c["waypoint_v2"] = pair(2, 2, 36, 8, lambda e: waypoint(e, 1, 0, 0, 31, 0, 99, 1, 2, "SL007"))
    c["group_header"] = pair(2, 3, 36, 40, lambda e: group_header(e, 5, 300, 0xCAFE, 0xFFFF, 41, "Home"))
    c["group_header_v4"] = pair(2, 4, 36, 40, lambda e: group_header(e, 5, 300, 0xCAFE, 0xFFFF, 41, "Home"))
    c["group_body_v4"] = pair(2, 4, 36, 41, lambda e: group_body(e, 0xFFFF, [0x8800 + i for i in range(12)]))
    ids = [0x0000, 0x0001, 0x1005, 0xC000, 0x0BB7] + [3 * i for i in range(5, 50)]
    c["route"] = pair(3, 3, 136, 3, lambda e: route(e, 5, 0, 1, 0xA0B0C0D0, "ROUTE TO HARBOUR", ids))
    c["route_count_60"] = pair(3, 3, 136, 4, lambda e: route(e, 60, 1, 0, 0x10, "LONG", [0x100 + i for i in range(50)]))
    c["route_v1"] = pair(3, 2, 76, 5, lambda e: route_v1(e, 20, 0, 0, 0x20, "OLD ROUTE", [0x200 + i for i in range(20)]))
    c["route_v1_short"] = pair(3, 1, 76, 6, lambda e: route_v1(e, 3, 1, 1, 0x21, "OLD", [0x300 + i for i in range(20)]))
    pts = [(-100000, 200000), (-90000, 210000), (-120000, -5), (4, 250000)]
    c["track"] = pair(1, 3, 0, 5, lambda e: track(e, 301, 21700, 0x5F5E1000, pts, "TRACK 5", ring_steps(400)))
    c["track_count_30000"] = pair(1, 3, 0, 6, lambda e: track(e, 30000, 0, 1, pts, "BIG", ring_steps(RING)))
    c["track_v1"] = pair(1, 1, 2848, 7, lambda e: old_track(e, 699, 600, 650, 0x77, (10, 20), (30, 40), "V1",
                                                            [s[:2] for s in ring_steps(699, 699)]))
    c["track_v2"] = pair(1, 2, 8048, 8, lambda e: old_track(e, 1999, 20, 1990, 0x88, (10, 20), (30, 40), "V2",
                                                            [s[:2] for s in ring_steps(1999, 1999)]))
    pts352 = [(1000 + 3 * i, -2000 + 7 * (i % 5)) for i in range(352)]
    c["rumbrel"] = pair(4, 1, 3080, 7, lambda e: rumbrel(e, 4, (0, 0, 0), pts352))
    c["rumbrel_count_400"] = pair(4, 1, 3080, 8, lambda e: rumbrel(e, 400, (0, 0, 0), pts352))
    # Written from the unit with the closest-point words set: the card gets 0.
    c["rumbrel_closest"] = {LE: header(LE, 4, 1, 3080, 9) + rumbrel(LE, 4, (2, 3, 4), pts352),
                            BE: header(BE, 4, 1, 3080, 9) + rumbrel(BE, 4, (0, 0, 0), pts352)}
    return c


def write_records(root):
    os.makedirs(root, exist_ok=True)
    for case, forms in cases().items():
        for e, suffix in ((LE, "le"), (BE, "be")):
            with open(os.path.join(root, case + "." + suffix), "wb") as f:
                f.write(forms[e])


# A small store: its item files and the streams it gives.

STORE_SLOTS = [
    # slot, status, hide, not shared, icon, label
    (12, 1, 1, 0, 37, "MARK 0012"),
    (13, 1, 0, 0, 45, "ICON 45"),
    (100, 2, 0, 0, 1, "TEMP"),
    (2999, 3, 0, 1, 200, "ABCDEFGHIJKL"),
]


def slot_record(e, slot, status, hide, not_shared, icon, label):
    return waypoint(e, status, hide, not_shared, icon, 10 + slot, 1000 + slot, -slot, slot, label)


def write_stream(root):
    pts = [(-100000, 200000), (-90000, 210000), (-120000, -5), (4, 250000)]
    ring = ring_steps(300, start=21700)
    nf.put(root, "tracks", "5", nf.item_file(nf.TRACK, 5, track(LE, 301, 21700, 0x5F5E1000, pts, "TRACK 5", ring)))
    for slot, status, hide, ns, icon, label in STORE_SLOTS:
        nf.put(root, "wpts", str(slot), nf.item_file(nf.WAYPOINT, slot, slot_record(LE, slot, status, hide, ns, icon,
                                                                                    label)))
    nf.put(root, "wpts", "40", nf.item_file(nf.WAYPOINT, 40, group_header(LE, 5, 300, 0xCAFE, 0xFFFF, 41, "Home")))
    nf.put(root, "wpts", "41", nf.item_file(nf.WAYPOINT, 41, group_body(LE, 0xFFFF, [0xFFFF] * 12)))
    ids = [0x0000, 0x0001, 0x1005, 0xC000, 0x0BB7] + [3 * i for i in range(5, 50)]
    routes = {3: (5, 0, 1, 0xA0B0C0D0, "ROUTE TO HARBOUR", ids),
              7: (0, 0, 0, 99, "EMPTY BUT DATED", [0] * 50)}
    for index, r in routes.items():
        nf.put(root, "routes", str(index), nf.item_file(nf.ROUTE, index, route(LE, *r)))

    for plain in (False, True):
        out = header(BE, 1, 3, 0, 5, 0) + track(BE, 301, 21700, 0x5F5E1000, pts, "TRACK 5", ring)
        slots = []
        for slot, status, hide, ns, icon, label in STORE_SLOTS:
            if status not in (1, 3):
                continue
            if plain:
                hide, icon = 0, (0 if icon > 30 else icon)
            slots.append((slot, slot_record(BE, slot, status, hide, ns, icon, label)))
        if not plain:
            slots.append((40, group_header(BE, 5, 300, 0xCAFE, 0xFFFF, 41, "Home")))
            slots.append((41, group_body(BE, 0xFFFF, [0xFFFF] * 12)))
        for slot, body in sorted(slots):
            out += header(BE, 2, 3, 36, slot, 0) + body
        for index in (3, 7):
            out += header(BE, 3, 3, 136, index, 0) + route(BE, *routes[index])
        with open(os.path.join(root, "stream." + ("plain" if plain else "ext")), "wb") as f:
            f.write(out)


def write_seeds(root):
    c = cases()
    blocks = b"\0" + c["waypoint"][BE] + c["group_body_v4"][BE] + c["route"][BE] + c["route_v1"][BE]
    nf.put(root, "nav_data", "blocks", blocks)
    nf.put(root, "nav_data", "route_v1", b"\1" + c["route_v1"][BE])
    nf.put(root, "nav_data", "track_v1", b"\1" + c["track_v1"][BE])


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in ("records", "stream", "seeds"):
        sys.exit(__doc__)
    {"records": write_records, "stream": write_stream, "seeds": write_seeds}[sys.argv[1]](sys.argv[2])


if __name__ == "__main__":
    main()
