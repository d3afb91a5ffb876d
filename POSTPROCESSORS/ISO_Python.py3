# Zarvento post-processor: a two-axis ISO lathe control whose program is
# made by the script below from the library's intermediate code.
#
# VERSION 18
# FILE_EXTENSION nc
# USE_PYTHON 1
# CNC_CODE_0 ISO-DIAMETER
# CNC_CODE_1 ISO-RADIUS
# CODE_SYNCHRON_NULLSPINDEL G32
#
# Header keys are found by their first occurrence anywhere in this file, so
# they stand here, before everything else, one to a line. No frame templates:
# every frame writes its built-in text, and the script turns that into the
# program of a two-axis ISO lathe control (Fanuc-T style, as ISO_Lathe):
# - the start block selects millimetres (inches), the ZX plane, no
#   compensation, no cycle and feed per revolution: G21 G18 G40 G80 G99;
#   the built-in start text's G90 (a turning cycle on such a control) and
#   G17 (the XY plane) are left out;
# - a tool call goes to the reference point and calls the tool with its own
#   offset: G28 U0, then M06 T0101;
# - the spindle speed states its mode, G97 S..., and a constant cutting
#   speed its upper limit first, G50 S<max>, then G96 S<speed>;
# - a dwell is written in milliseconds, G04 P500;
# - a thread pass follows its synchronisation block (the code above): the
#   two become one G32 move with the lead as its F word, which starts on the
#   spindle's index by itself;
# - the input is in millimetres: in inches (G20) or centimetres every length
#   word (X, Z, I, K, R, U, W and the feed F) is divided by the units factor.
#
# The script runs in the plan's temporary folder. It reads input.tmp and
# writes output.tmp (the program) and path.tmp (the moves of each block for
# the simulation), all in the Cyrillic code page Windows-1251 with CR LF line
# ends. Its arguments: this file, the coding index (0 diameter, 1 radius),
# in an export the export folder, and last the units factor (1.0, 25.40038 or
# 10.0).
import re
import sys

BLOCK_NUMBER = re.compile(r"^N(\d+)\s*")
X_WORD = re.compile(r"X(-?\d+(?:\.\d*)?)")
STEP = 5


def parse_arguments(argv):
    coding = 0
    factor = 1.0
    rest = argv[1:]
    if rest:
        try:
            coding = int(rest[0])
        except ValueError:
            coding = 0
    if len(rest) > 1:
        try:
            factor = float(rest[-1])
        except ValueError:
            factor = 1.0
    return coding, factor


LENGTH_WORD = re.compile(r"\b([XZIKRUWF])(-?\d+(?:\.\d*)?)")


def in_units(line, factor):
    if factor == 1.0:
        return line
    # A ten-thousandth of an inch is as fine as a thousandth of a millimetre.
    return LENGTH_WORD.sub(
        lambda m: m.group(1) + ("%.4f" % (float(m.group(2)) / factor)).rstrip("0").rstrip("."), line)


def halve_x(line, decimals):
    def radius(match):
        value = float(match.group(1)) / 2.0
        return "X%s" % ("%.*f" % (decimals, value)).rstrip("0").rstrip(".")
    return X_WORD.sub(radius, line)


def number(text):
    return ("%.3f" % text).rstrip("0").rstrip(".")


START_WORDS = {"G17", "G18", "G19", "G20", "G21", "G40", "G80", "G90", "G99"}


class Lathe:
    """Turns the blocks of the built-in text into the control's blocks."""

    def __init__(self, inch):
        self.units = "G20" if inch else "G21"
        self.feed = None  # the modal F word, the lead of a thread pass
        self.thread = False  # the next feed move is a thread pass

    def blocks(self, words):
        """The blocks one block of the built-in text becomes (word lists)."""
        codes = words.split()
        if not codes:
            return [words]
        for code in codes:
            if code.startswith("F"):
                self.feed = code
        if codes == [SYNC_CODE]:
            self.thread = True
            return []
        if "G17" in codes or "G19" in codes:
            rest = [c for c in codes if c not in START_WORDS]
            return [" ".join([self.units, "G18 G40 G80 G99"] + rest)]
        if len(codes) == 1 and TOOL_CALL.match(codes[0]):
            tool = int(codes[0][1:])
            return ["G28 U0", "M06 T%02d%02d" % (tool, tool)]
        if codes[0] == "G96":
            speed = [c for c in codes if c.startswith("S")]
            limit = [c[len("_MAXS"):] for c in codes if c.startswith("_MAXS")]
            return (["G50 S" + limit[0]] if limit else []) + [" ".join(["G96"] + speed)]
        if codes[0].startswith("S") and "G97" not in codes:
            return ["G97 " + words]
        if codes[0] == "G04":
            out = ["G04"]
            for c in codes[1:]:
                out.append("P%d" % round(float(c[1:]) * 1000) if c.startswith("P") else c)
            return [" ".join(out)]
        if self.thread and codes[0] == "G01":
            self.thread = False
            out = ["G32"] + codes[1:]
            if not any(c.startswith("F") for c in out) and self.feed:
                out.append(self.feed)
            return [" ".join(out)]
        return [words]


SYNC_CODE = "G32"
TOOL_CALL = re.compile(r"^T\d+$")


def main():
    coding, factor = parse_arguments(sys.argv)
    with open("input.tmp", encoding="cp1251", newline="") as source:
        lines = [line.strip() for line in source.read().splitlines()]

    lathe = Lathe(factor == 25.40038)
    program = ["%"]
    moves = []
    block = 0
    for line in lines:
        if not line:
            continue
        match = BLOCK_NUMBER.match(line)
        if match is None:
            program.append(line)
            continue
        words = line[match.end():]
        if re.search(r"G0[0-3]|G04", words):
            moves.append("N%s %s" % (match.group(1), words))
        for out in lathe.blocks(words):
            block += STEP
            out = in_units(out, factor)
            if coding == 1:
                out = halve_x(out, 3 if factor == 1.0 else 4)
            program.append("N%04d %s" % (block, out))
    program.append("%")

    with open("output.tmp", "w", encoding="cp1251", newline="\r\n") as target:
        for line in program:
            target.write(line + "\n")
    with open("path.tmp", "w", encoding="cp1251", newline="\r\n") as path:
        for line in moves:
            path.write(line + "\n")
    units = {1.0: "mm", 25.40038: "inch", 10.0: "cm"}.get(factor, "?")
    print("ISO_Python: %d blocks, coding %d, units %s" % (block // STEP, coding, units))
    return 0


if __name__ == "__main__":
    sys.exit(main())
