# Zarvento post-processor sample: copy this file into the folder above under
# a name of your own, then change it to suit the machine.
#
# VERSION 18
# FILE_EXTENSION nc
# CODING_CHAR ANSI
# USE_PYTHON 1
# CODE_SYNCHRON_NULLSPINDEL G66
# CNC_CODE_0 ISO
# CNC_CODE_1 ISO-RADIUS
# FORMAT_T T%02d
# STRING_INIT G90 G40 G17
# STRING_OFFSET G43
# STRING_OFFSET_Z G43 Z0
# EDM_ARTA 0
#
# How the lines above are read:
# - A key is found at its first occurrence anywhere in the file, comments
#   included, and its value is the rest of that line after the blanks that
#   follow it (at most 49 characters). So the keys stand first, one to a
#   line, and a key that begins another one (STRING_OFFSET, STRING_OFFSET_Z)
#   stands before it.
# - VERSION 17 or 18 selects the statement grammar of the section below; any
#   other version, or none, the older block layout.
# - CODING_CHAR UTF8 makes the reader take the file as UTF-8 text; otherwise
#   the file is in the Cyrillic code page Windows-1251 (keep it ASCII, or add
#   a coding line at the top, for Python reads the script too).
# - USE_PYTHON 1 runs this file as a Python script after the program text is
#   made; with 0 and VERSION 18 the template output is the program.
# - CNC_CODE_0, CNC_CODE_1, ...: the codings offered to the user; the chosen
#   index is the script's first argument. The list ends at the first missing
#   number.
# - FORMAT_T (one integer conversion), STRING_INIT, STRING_OFFSET,
#   STRING_OFFSET_Z and CODE_SYNCHRON_NULLSPINDEL serve the older layout only.
# - EDM_ARTA is kept for compatibility and changes nothing.
"""
BEGIN_MACHINE_CYCLES
ALPHABET(N, G, X, Z, I, K, R, F, S, T, M, P, U, W, Q);
METRIC(_INCH==1 ? 1/25.4 : 1, X, Z, I, K, R, U, W);
FORMAT(number=1, format_number=N%4f, %m=%.3m, %n=%.3n, %f=%.3f);

CODE(Head);
FORMAT(number=0);
PRINT(%);
PRINT((%s %s), _sPOST, _sDATE);
CODE(Safe);
FORMAT(number=1);
PRINT(G21 G18 G40 G80 G99);
CODE(Comm);
PRINT((%s), _sNAMEOPER);
CODE(NameOper);
PRINT((%t), _sNAMEOPER);
CODE(BegOper);
PRINT(G00 G40);
CODE(EndOper);
PRINT(G00 G40);
CODE(T);
PRINT(T%02.0f%02.0f, _T, _T);
CODE(S);
PRINT(S%.0f, _S);
CODE(F);
PRINT(F%.3f, _F);
CODE(SF);
PRINT(S%.0f F%.3f, _S, _F);
CODE(G96);
PRINT(G96 S%.0f, _V);
CODE(G97);
PRINT(G97 S%.0f, _S);
CODE(G40);
PRINT(G40);
CODE(G41);
PRINT(G41);
CODE(G42);
PRINT(G42);
CODE(G66);
PRINT(M19);
CODE(M01);
PRINT(M01);
CODE(M03);
PRINT(M03);
CODE(M04);
PRINT(M04);
CODE(M05);
PRINT(M05);
CODE(M08);
PRINT(M08);
CODE(M09);
PRINT(M09);
CODE(M30);
PRINT(M30);
CODE(G00);
PRINT(G00 X%m Z%m, _X2, _Z2);
CODE(G01);
PRINT(G01 X%m Z%m F%m, _X2, _Z2, _F);
CODE(G02);
PRINT(G02 X%m Z%m R%f F%m, _X2, _Z2, _R, _F);
CODE(G03);
PRINT(G03 X%m Z%m R%f F%m, _X2, _Z2, _R, _F);
CODE(G04);
PRINT(G04 P%.0f, _P);
CODE(G28);
PRINT(G28 U0 W0);
CODE(SP);
PRINT(M00);
CODE(Doc1);
PRINT((%s), _sNAMETOOL);
CODE(End);
FORMAT(number=0);
PRINT(%);

TABLE(Feeds, 0);
COLUMN_NAMES(Depth, Steel, Aluminium);
ROW(0, 1, 2);
ROW(1, 0.25, 0.35);
ROW(3, 0.3, 0.45);

FORMAT(number=1);
CYCLE(G71, Longitudinal roughing, Turning);
COMMENT(Roughing along Z with a finishing allowance);
FEATURE(Outside);
TRAJECTORY(TrapecG1, TrapecG2);
TOOL(Chisel);
PARAM(_DEPTH, OD, Depth of cut, 1.5);
PARAM(_RETRACT, D, Retract, 0.5);
PARAM(_ALLOWX, D, Allowance on X, 0.2);
PARAM(_ALLOWZ, D, Allowance on Z, 0.1);
PRINT(G71 U%f R%f, _DEPTH, _RETRACT);
PRINT(G71 U%f W%f F%f, _ALLOWX, _ALLOWZ, select_from_table('Feeds', _DEPTH, 1));
PRINT_CNT(G01 X%m Z%m, _X2, _Z2);
PRINT_END(G00 X%m Z%m, _X2, _Z2);

CYCLE(G83, Deep-hole drilling, Drilling);
TOOL(Drill);
PARAM(_PECK, OD, Peck depth, 2);
PARAM(_DWELL, D, Dwell at the bottom, 0);
PRINT(G83 Z%f Q%f P%f, _Z2, _PECK, _DWELL);

CYCLE(G76, Thread cutting with a chisel, Threading_Chisel);
TOOL(Chisel);
FEATURE(Cylinder);
PARAM(_PITCH, OD, Pitch, 1.5);
PARAM(_PASSES, OD, Number of passes, 6);
PARAM(_KIND, O, Thread kind, 1);
value(Cylinder, 0, 0);
value(Cone, 1, 1);
PRINT(G76 P%.0f Z%f F%f, _PASSES, _Z2, _PITCH);

CYCLE(G84, Tapping, Threading_Tap_Die);
TOOL(Tap);
PARAM(_PITCH, OD, Pitch, 1.5);
PRINT(G84 Z%f F%f, _Z2, _PITCH);
END_MACHINE_CYCLES
"""

# The script: the library writes the program text to input.tmp in the
# working folder and runs this file; what the script writes to output.tmp
# becomes the program, and path.tmp may add moves to the simulation. The
# arguments after the file name are, when present, the chosen coding index,
# the export folder and the units factor. This sample passes the text on as
# it is.
import sys


def main():
    with open("input.tmp", encoding="cp1251", newline="") as source:
        lines = source.read().splitlines()
    with open("output.tmp", "w", encoding="cp1251", newline="\r\n") as target:
        for line in lines:
            target.write(line + "\n")
    with open("path.tmp", "w", encoding="cp1251", newline="\r\n"):
        pass
    print("OK!")
    return 0


if __name__ == "__main__":
    sys.exit(main())
