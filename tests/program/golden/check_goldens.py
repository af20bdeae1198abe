#!/usr/bin/env python3
"""Second, independent reading of the card tables and the generation rules.

The golden files beside this script are written by the export tool itself
(PAVLUNE_UPDATE_GOLDEN=1), so a mistake in the C++ tables would be copied into
them unseen. This script holds its own copy of every card's code, typed from
the card reference rather than from the C++ sources, regenerates each golden
file from the *.txt programs and fails on any difference.

usage: check_goldens.py [GOLDEN_DIR]
"""
import math
import re
import sys
from pathlib import Path

JAM, LATTE, QUE = "jam", "latte", "que"

# (jam code, latte code) per card; "@" marks an input card's number.
TEXT_CARDS = {
    "basic": [
        ("LED 1", "led(1);"), ("LED 0", "led(0);"), ("WAIT 60", "sleep(1000);"),
        ("WAIT 180", "sleep(3000);"), ("@LOOP", "while(uart()==-1){"), ("GOTO @LOOP", "}"),
    ],
    "paprika": [(f"OUT {n}", f"out({n});") for n in (33, 0, 18, 34, 32, 16, 17, 1, 2)] + [
        (f"PWM {pin}, {v}", f"pwm({pin}, {v * 10});")
        for pin, v in ((3, 60), (3, 145), (3, 230), (4, 230), (4, 145), (4, 60))
    ],
    "full": [
        ("WAIT 300", "sleep(5000);"), ("WAIT 600", "sleep(10000);"), ("WAIT @", "sleep(@);"),
        ("BEEP", "beep();"),
        ("FOR I = 1 TO 3", "i=0;\nwhile(i<3){"), ("NEXT", "i=i+1;\n}"),
        ("FOR I = 1 TO 5", "i=0;\nwhile(i<5){"), ("NEXT", "i=i+1;\n}"),
        ("FOR I = 1 TO @", "i=0;\nwhile(i<@){"), ("NEXT", "i=i+1;\n}"),
    ] + [
        (f"OUT {out}, {on}", f"out(o=o|{1 << (out - 1)});" if on else f"out(o=o&~{1 << (out - 1)});")
        for out in range(1, 7) for on in (1, 0)
    ],
}
# Input cards: (set, index) -> multiplier per dialect. Only these substitute "@".
TEXT_INPUTS = {("full", 2): {JAM: 60.0, LATTE: 1000.0}, ("full", 8): {JAM: 1.0, LATTE: 1.0}}


def que(code, hexbytes, **extra):
    return dict(code=code, bytes=bytes.fromhex(hexbytes), **extra)


LOOP_END = dict(placeholder="@", multiplier=1.0)
QUE_CARDS = {
    "basic": [
        que("LEDを つける", "0100010000000000"), que("LEDを けす", "0100000000000000"),
        que("60かい まつ", "04003C0001000000"), que("180かい まつ", "0400B40001000000"),
        que("", "0000000000000000", pair=("basic", 5)),
        que("@ へ 行く", "0500000000000000", line_at=2, **LOOP_END),
    ],
    "paprika": [que(f"OUT {n} にする", f"02000000{n:02X}000000") for n in (33, 0, 18, 34, 32, 16, 17, 1, 2)] + [
        que(f"PWM{pin}を {v}にする", f"03000{pin}00{v:02X}000000")
        for pin, v in ((3, 60), (3, 145), (3, 230), (4, 230), (4, 145), (4, 60))
    ],
    "full": [
        que("300かい まつ", "04002C0101000000"), que("600かい まつ", "0400580201000000"),
        que("@かい まつ", "0400000001000000", input_at=2, placeholder="@", multiplier=60.0),
        que("おとを ならす", "1700B80106000000"),
        que("はこ# = 0\n", "0900000000000000" "0000000000000000", pair=("full", 5)),
        que("はこ# + 1\nもし #<3 @ へ", "0A00000001000100" "1000000002000300", line_at=10, **LOOP_END),
        que("はこ# = 0\n", "0900000000000000" "0000000000000000", pair=("full", 7)),
        que("はこ# + 1\nもし #<5 @ へ", "0A00000001000100" "1000000002000500", line_at=10, **LOOP_END),
        que("はこ# = 0\n", "0900000000000000" "0000000000000000", pair=("full", 9), counts=True),
        que("はこ# + 1\nもし #<% @ へ", "0A00000001000100" "1000000002000500", line_at=10, count_at=14,
            **LOOP_END),
    ] + [
        que(f"OUT{out}を {'ON' if on else 'OFF'}する", f"02000{out}000{on}000000")
        for out in range(1, 7) for on in (1, 0)
    ],
}

PACING = {JAM: 50, LATTE: 5}
LINE_END = {JAM: "\r\n", LATTE: "\n"}
# (text, charDelay, echo); None pauses take the dialect's pacing.
BREAK = {JAM: ("\x1b", 500), LATTE: (" ", 20)}
RESET = {JAM: "\nOUT0\n", LATTE: "ms\nout(0)\nexit()\n"}
PROLOGUE = {JAM: [("\n\n\n\n\nNEW", None, True, True)],
            LATTE: [("cat uart > .", 5, True, False), ("var i=0;var o=0;", None, True, True)]}
EPILOGUE = {JAM: [("SAVE 0", 60, False, True), ("\n", 1000, False, True), ("RUN", None, True, True)],
            LATTE: [("while(uart()!=-1);\n", 5, False, False), ("\x04", 2000, True, False), ("ms .", 5, True, False)]}
SET_NAMES = {"basic": "basic", "0": "basic", "paprika": "paprika", "1": "paprika", "full": "full", "2": "full"}


def atof(text):
    match = re.match(r"\s*[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?", text)
    return float(match.group(0)) if match else 0.0


def format_number(value):
    return "%g" % value


def read_rows(path):
    rows = []
    for line in path.read_text().splitlines():
        if not line:
            rows.append(None)
            continue
        parts = line.split(" ", 2)
        rows.append((SET_NAMES[parts[0]], int(parts[1]), parts[2] if len(parts) > 2 else ""))
    return rows


def text_units(rows, dialect):
    pacing, end = PACING[dialect], LINE_END[dialect]
    units = [(BREAK[dialect][0], BREAK[dialect][1], False), (RESET[dialect], pacing, False)]

    def fixed(records):
        return [(code + (end if with_end else ""), pacing if delay is None else delay, echo)
                for code, delay, with_end, echo in records]

    units += fixed(PROLOGUE[dialect])
    depth = 0
    for row_index, slot in enumerate(rows):
        if slot is None:
            continue
        card_set, index, value = slot
        text = TEXT_CARDS[card_set][index][0 if dialect == JAM else 1]
        multiplier = TEXT_INPUTS.get((card_set, index), {}).get(dialect)
        if multiplier is not None:
            text = text.replace("@", format_number(atof(value) * multiplier))
        if dialect == JAM:
            text = f"{(row_index + 1) * 10} {text}"
        text += end
        indent = 0
        if dialect == LATTE:
            before, running = depth, 0
            for c in text:
                running += {"{": 1, "}": -1}.get(c, 0)
                if c == "\n":
                    depth += running
            indent = min(before, depth)
        units.append(("  " * indent + text, pacing, True))
    return units + fixed(EPILOGUE[dialect])


def escape(text):
    out = []
    for c in text:
        if c in '\\"':
            out.append("\\" + c)
        elif c in "\n\r\t":
            out.append({"\n": "\\n", "\r": "\\r", "\t": "\\t"}[c])
        elif ord(c) < 0x20 or ord(c) == 0x7F:
            out.append("\\x%02X" % ord(c))
        else:
            out.append(c)
    return "".join(out)


def text_outputs(rows, dialect):
    units = text_units(rows, dialect)
    listing = "".join('%5d ms  %s  "%s"\n' % (max(0, d), "echo  " if e else "silent", escape(t)) for t, d, e in units)
    return "".join(t for t, _, _ in units).encode(), listing


def que_outputs(rows):
    line, pending, stack, image, listing = 0, 0, [], b"", []

    def emit(row_number, first, data, display):
        nonlocal image
        image += data
        shown = "".join(f'  "{escape(d)}"' for d in display)
        listing.append("row %2d  line %3d  %s%s\n" % (row_number, first, " ".join("%02X" % b for b in data), shown))

    for row_index, slot in enumerate(rows):
        if slot is None:
            pending += 1
            continue
        for k in range(pending):
            emit(row_index + 1, line + k, bytes(8), [str(line + k + 1)])
        line, pending = line + pending, 0
        card_set, index, value = slot
        record = QUE_CARDS[card_set][index]
        text, data = record["code"], bytearray(record["bytes"])
        opened = next((entry for entry in reversed(stack) if entry[0] == (card_set, index)), None)
        if opened:
            stack.remove(opened)
            data[record["line_at"]:record["line_at"] + 2] = opened[1].to_bytes(2, "little")
            if "count_at" in record and opened[2] is not None:
                turns = math.trunc(atof(opened[2])) & 0xFFFF
                data[record["count_at"]:record["count_at"] + 2] = turns.to_bytes(2, "little")
            text = text.replace("@", format_number((opened[1] + 1) * record["multiplier"]))
        elif "placeholder" in record:
            text = text.replace("@", format_number(atof(value) * record["multiplier"]))
        if "count_at" in record:
            text = text.replace("%", str(int.from_bytes(data[record["count_at"]:record["count_at"] + 2], "little")))
        if "input_at" in record:
            number = math.trunc(atof(value) * record["multiplier"]) & 0xFFFF
            data[record["input_at"]:record["input_at"] + 2] = number.to_bytes(2, "little")
        display = [f"{line + i + 1} {part}" for i, part in enumerate(text.split("\n"))] if text else []
        emit(row_index + 1, line, bytes(data), display)
        line += len(data) // 8
        if "pair" in record:
            stack.append((record["pair"], line - 1, value if record.get("counts") else None))
    padding = max(0, 512 - len(image))
    listing.append(f"padding {padding} bytes of FF\n")
    return image + b"\xff" * padding, "".join(listing)


def main():
    golden = Path(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).parent)
    failures = checked = 0
    for program in sorted(golden.glob("*.txt")):
        rows = read_rows(program)
        for dialect in (JAM, LATTE, QUE):
            binary, listing = que_outputs(rows) if dialect == QUE else text_outputs(rows, dialect)
            for suffix, expected in ((".bin", binary), (".listing", listing.encode())):
                path = golden / f"{program.stem}.{dialect}{suffix}"
                checked += 1
                if path.read_bytes() != expected:
                    failures += 1
                    print(f"{path.name}: differs from the independent reading\n"
                          f"  expected {expected!r}\n  golden   {path.read_bytes()!r}")
    print(f"{checked} golden files checked, {failures} differ")
    return 1 if failures or checked == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
