#!/usr/bin/python3
"""Writes the transducer database's constant tables from their written form.

Reads transducer_tables.txt beside this script (the property rows, the five
event tables, the view lists and the optional transducers, worded as they
were written down) and writes sonar/dsp/s_transducer_tables.{h,cpp}.
Every row number, row count and entry count in the text is checked, so a
slip in the text stops the generator instead of shifting a table.

    transducer_tables.py          rewrite the two files
    transducer_tables.py --check  exit 1 when they differ from the text
"""

import re
import sys
from pathlib import Path

HERE = Path(__file__).resolve().parent
TEXT = HERE / "transducer_tables.txt"
OUT_DIR = HERE.parent / "dsp"
OUT_H = OUT_DIR / "s_transducer_tables.h"
OUT_CPP = OUT_DIR / "s_transducer_tables.cpp"

ALL_SOURCES = 0xFFFFFFFF
WORDS = {"one": 1, "two": 2, "three": 3, "four": 4, "five": 5}
SPLITS = {"full": "SPLIT_FULL_WINDOW", "left": "SPLIT_LEFT_WINDOW", "right": "SPLIT_RIGHT_WINDOW"}


class TextError(Exception):
    pass


def fail(lineno, message):
    raise TextError(f"{TEXT.name}:{lineno}: {message}")


def names_in(text):
    return re.findall(r"`(\w+)`", text)


def numbers_in(text):
    return [int(n) for n in re.findall(r"\d+", text)]


def row_range(text, lineno):
    m = re.fullmatch(r"rows? (\d+)(?:-(\d+))?", text.strip())
    if not m:
        fail(lineno, f"not a row range: {text!r}")
    first = int(m.group(1))
    last = int(m.group(2)) if m.group(2) else first
    if last < first:
        fail(lineno, f"rows run backwards: {text!r}")
    return first, last


class Table:
    """Rows of one event table, appended in order and checked as they come."""

    def __init__(self, name, count, lineno):
        self.name = name
        self.count = count
        self.lineno = lineno
        self.rows = []  # (id, sources or None, function)

    def add(self, first, last, rows, lineno):
        if first != len(self.rows):
            fail(lineno, f"{self.name}: rows start at {first}, expected {len(self.rows)}")
        if len(rows) != last - first + 1:
            fail(lineno, f"{self.name}: rows {first}-{last} name {len(rows)} entries")
        self.rows.extend(rows)

    def close(self, lineno):
        if len(self.rows) != self.count:
            fail(lineno, f"{self.name}: {len(self.rows)} rows, the text says {self.count}")


def parse_segment(table, segment, previous, lineno):
    """One 'rows A-B, id N: ...' clause of a bullet; returns its function list."""
    # rows A-B, id N, and rows C-D, id M, each: LIST
    m = re.fullmatch(r"(rows? [\d-]+), id (\d+), and (rows? [\d-]+), id (\d+), each: (.*)", segment)
    if m:
        functions = names_in(m.group(5))
        for range_text, ident in ((m.group(1), m.group(2)), (m.group(3), m.group(4))):
            first, last = row_range(range_text, lineno)
            table.add(first, last, [(int(ident), None, f) for f in functions], lineno)
        return functions
    # rows A-B: `f` for ids I, J, K (...)
    m = re.fullmatch(r"(rows? [\d-]+): `(\w+)` for ids ([\d, ]+?)(?: \(.*\))?", segment)
    if m:
        first, last = row_range(m.group(1), lineno)
        table.add(first, last, [(i, None, m.group(2)) for i in numbers_in(m.group(3))], lineno)
        return [m.group(2)]
    # rows A-B, id N: LIST, or: the same first four[, then LIST]
    m = re.fullmatch(r"(rows? [\d-]+), id (\d+): (.*)", segment)
    if m:
        first, last = row_range(m.group(1), lineno)
        body = m.group(3)
        functions = []
        same = re.match(r"the same first (\w+)", body)
        if same:
            n = WORDS.get(same.group(1))
            if n is None or len(previous) < n:
                fail(lineno, f"cannot take 'the same first {same.group(1)}' from {previous}")
            functions = previous[:n]
            body = body[same.end():]
        body = re.sub(r" \((listed|one row)[^)]*\)", "", body)
        functions = functions + names_in(body)
        table.add(first, last, [(int(m.group(2)), None, f) for f in functions], lineno)
        return functions
    fail(lineno, f"cannot read {segment!r}")


def parse(text):
    out = {"specifics": [], "unknown": [], "tables": [], "views": [], "optional": None}
    lines = text.splitlines()
    table = None
    previous = []
    declared_specifics = None
    for lineno, raw in enumerate(lines, 1):
        line = raw.rstrip()
        if line.startswith("#"):
            continue
        if table is not None and not line.startswith("- "):
            table.close(lineno)
            out["tables"].append(table)
            table = None
        m = re.match(r"`s_sTransducerSpecifics`, (\d+) constant rows", line)
        if m:
            declared_specifics = int(m.group(1))
            u = re.search(r"rows ([\d, and]+) carry the generic text \"Unknown\"", line)
            if not u:
                fail(lineno, "the rows named \"Unknown\" are not given")
            out["unknown"] = numbers_in(u.group(1))
            continue
        m = re.fullmatch(r"\| (\d+) \| \"([^\"]*)\"(?: \(empty\))? \| (0x[0-9A-Fa-f]+) \| (0x[0-9A-Fa-f]+) \|", line)
        if m:
            ident = int(m.group(1))
            if ident != len(out["specifics"]):
                fail(lineno, f"property row {ident} out of order")
            out["specifics"].append((ident, m.group(2), int(m.group(3), 16), int(m.group(4), 16)))
            continue
        m = re.match(r"`(\w+)`, (\d+) rows", line)
        if m and m.group(1) != "s_sTransducerSpecifics":
            if m.group(1) == "SonarCompositeEventBase":
                table = None
                composite = Table(m.group(1), int(m.group(2)), lineno)
                out["tables"].append(composite)
            else:
                table = Table(m.group(1), int(m.group(2)), lineno)
                previous = []
            continue
        if table is not None:
            for segment in line[2:].rstrip(".").split("; "):
                previous = parse_segment(table, segment.rstrip("."), previous, lineno)
            continue
        m = re.fullmatch(r"\| (\d+(?:-\d+)?) \| ([\d, ]+) \| (0x[0-9A-Fa-f]+|all) \| (.*) \|", line)
        if m:
            first, last = row_range("rows " + m.group(1), lineno)
            ids = numbers_in(m.group(2))
            sources = ALL_SOURCES if m.group(3) == "all" else int(m.group(3), 16)
            functions = names_in(m.group(4))
            n = last - first + 1
            if len(ids) == n and len(functions) == 1:
                rows = [(i, sources, functions[0]) for i in ids]
            elif len(ids) == 1 and len(functions) == n:
                rows = [(ids[0], sources, f) for f in functions]
            else:
                fail(lineno, f"rows {first}-{last}: {len(ids)} ids and {len(functions)} functions")
            composite.add(first, last, rows, lineno)
            continue
        m = re.fullmatch(r"`(\w+)`, one row: \{(\d+), (?:(0x[0-9A-Fa-f]+), )?`(\w+)`\}\.", line)
        if m:
            single = Table(m.group(1), 1, lineno)
            sources = int(m.group(3), 16) if m.group(3) else None
            single.add(0, 0, [(int(m.group(2)), sources, m.group(4))], lineno)
            out["tables"].append(single)
            continue
        m = re.fullmatch(r"- `(\w+)` \((\d+) entries\)[^:]*: (.*)\.", line)
        if m:
            body = re.sub(r" \([^)]*\)", "", m.group(3))
            entries = []
            for entry in body.split(", "):
                e = re.fullmatch(r"(\d+) (full|left|right)", entry)
                if not e:
                    fail(lineno, f"{m.group(1)}: cannot read the pane {entry!r}")
                entries.append((int(e.group(1)), SPLITS[e.group(2)]))
            if len(entries) != int(m.group(2)):
                fail(lineno, f"{m.group(1)}: {len(entries)} panes, the text says {m.group(2)}")
            out["views"].append((m.group(1), entries))
            continue
        m = re.match(r"`s_au8OptionalTransducer`, (\w+) entries \{([\d, ]+)\}", line)
        if m:
            entries = numbers_in(m.group(2))
            if WORDS.get(m.group(1)) != len(entries):
                fail(lineno, f"s_au8OptionalTransducer: {len(entries)} entries, the text says {m.group(1)}")
            out["optional"] = entries
            continue
    if table is not None:
        table.close(len(lines))
        out["tables"].append(table)
    for t in out["tables"]:
        t.close(t.lineno)
    if declared_specifics != len(out["specifics"]):
        fail(len(lines), f"{len(out['specifics'])} property rows, the text says {declared_specifics}")
    if out["optional"] is None:
        fail(len(lines), "s_au8OptionalTransducer is missing")
    return out


HEADER_NOTE = """\
// Generated by sonar/tools/transducer_tables.py from
// sonar/tools/transducer_tables.txt: change the text and run the script,
// never edit this file (a test fails while the two disagree)."""


def render(data):
    h = [HEADER_NOTE, "//", "// The transducer database's constant tables (see sonar/dsp/s_transducer.h).",
         "#pragma once", "", '#include "sonar/dsp/s_transducer.h"', ""]
    h.append(f"constexpr U32 TRANSDUCER_COUNT = {len(data['specifics'])};")
    for t in data["tables"]:
        h.append(f"constexpr U32 {t.name}Rows = {len(t.rows)};")
    for name, entries in data["views"]:
        h.append(f"constexpr U32 {name}Count = {len(entries)};")
    h.append(f"constexpr U32 OptionalTransducerCount = {len(data['optional'])};")
    h.append("")
    h.append("extern const TRANSDUCER_SPECIFICS s_sTransducerSpecifics[TRANSDUCER_COUNT];")
    for t in data["tables"]:
        kind = "SONAR_SOURCE_EVENT" if t.rows[0][1] is not None else "TRANSDUCER_EVENT"
        h.append(f"extern const {kind} {t.name}[{t.name}Rows];")
    for name, _ in data["views"]:
        h.append(f"extern const VIEW_AND_SPLIT {name}[{name}Count];")
    h.append("extern const U8 s_au8OptionalTransducer[OptionalTransducerCount];")
    h.append("")

    c = [HEADER_NOTE, '#include "sonar/dsp/s_transducer_tables.h"', "", '#include "sonar/dsp/s_mss.h"',
         '#include "sonar/dsp/s_transducer_menus.h"', '#include "sonar/dsp/s_transducer_texts.h"', ""]
    c.append("const TRANSDUCER_SPECIFICS s_sTransducerSpecifics[TRANSDUCER_COUNT] = {")
    for ident, freq, beams, sources in data["specifics"]:
        name = "&txtUnknown" if ident in data["unknown"] else f"&txtTransducer{ident}"
        c.append(f'    {{{ident}, "{freq}", {name}, 0x{beams:X}, 0x{sources:X}}},')
    c.append("};")
    for t in data["tables"]:
        c.append("")
        if t.rows[0][1] is not None:
            c.append(f"const SONAR_SOURCE_EVENT {t.name}[{t.name}Rows] = {{")
            for i, (ident, sources, fn) in enumerate(t.rows):
                c.append(f"    {{{ident}, 0x{sources:X}, {fn}}}, // {i}")
        else:
            c.append(f"const TRANSDUCER_EVENT {t.name}[{t.name}Rows] = {{")
            for i, (ident, _, fn) in enumerate(t.rows):
                c.append(f"    {{{ident}, {fn}}}, // {i}")
        c.append("};")
    for name, entries in data["views"]:
        c.append("")
        c.append(f"const VIEW_AND_SPLIT {name}[{name}Count] = {{")
        for view, split in entries:
            c.append(f"    {{{view}, {split}}},")
        c.append("};")
    c.append("")
    c.append("const U8 s_au8OptionalTransducer[OptionalTransducerCount] = {"
             + ", ".join(str(n) for n in data["optional"]) + "};")
    c.append("")
    return "\n".join(h), "\n".join(c)


def main(argv):
    check = "--check" in argv[1:]
    try:
        data = parse(TEXT.read_text(encoding="utf-8"))
    except TextError as e:
        print(e, file=sys.stderr)
        return 2
    stale = []
    for path, content in zip((OUT_H, OUT_CPP), render(data)):
        current = path.read_text(encoding="utf-8") if path.exists() else None
        if current == content:
            continue
        if check:
            stale.append(path)
        else:
            path.write_text(content, encoding="utf-8")
            print(f"wrote {path}")
    for path in stale:
        print(f"{path} does not match {TEXT}; run {Path(argv[0]).name}", file=sys.stderr)
    return 1 if stale else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
