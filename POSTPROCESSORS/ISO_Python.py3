# Zarvento post-processor: a two-axis ISO lathe control whose program is
# made by the script below from the library's intermediate code.
#
# VERSION 18
# FILE_EXTENSION nc
# USE_PYTHON 1
# CNC_CODE_0 ISO-DIAMETER
# CNC_CODE_1 ISO-RADIUS
#
# Header keys are found by their first occurrence anywhere in this file, so
# they stand here, before everything else, one to a line. No frame templates:
# every frame writes its built-in text, and the script turns that into the
# program.
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


def halve_x(line):
    def radius(match):
        value = float(match.group(1)) / 2.0
        return "X%s" % ("%.3f" % value).rstrip("0").rstrip(".")
    return X_WORD.sub(radius, line)


def main():
    coding, factor = parse_arguments(sys.argv)
    with open("input.tmp", encoding="cp1251", newline="") as source:
        lines = [line.strip() for line in source.read().splitlines()]

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
        block += STEP
        words = line[match.end():]
        if re.search(r"G0[0-3]|G04", words):
            moves.append("N%s %s" % (match.group(1), words))
        if coding == 1:
            words = halve_x(words)
        program.append("N%04d %s" % (block, words))
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
