# Zarvento post-processor: a generic two-axis ISO lathe control.
# The program text comes from the templates below; no script runs.
#
# VERSION 18
# FILE_EXTENSION nc
# USE_PYTHON 0
# CNC_CODE_0 ISO
#
# Header keys are found by their first occurrence anywhere in this file, so
# they stand here, before everything else, one to a line.
"""
BEGIN_MACHINE_CYCLES
ALPHABET(N, G, X, Z, I, K, R, F, S, T, M, P);
METRIC(_INCH==1 ? 1/25.4 : 1, X, Z, I, K, R);
FORMAT(number=1, format_number=N%4f, %m=%.3m, %f=%.3f);

CODE(Head);
FORMAT(number=0);
PRINT(%);
PRINT(O0001 (%s), _sPOST);
CODE(Safe);
FORMAT(number=1);
PRINT(G21 G18 G40 G80 G99);
CODE(NameOper);
PRINT((%s), _sNAMEOPER);
CODE(BegOper);
PRINT(G00 G40);
CODE(EndOper);
PRINT(G00 G40);
CODE(T);
PRINT(T%02.0f%02.0f M06, _T, _T);
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
CODE(M30);
PRINT(M30);
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

CYCLE(G83, Deep-hole drilling, Drilling);
TOOL(Drill);
PARAM(_PECK, OD, Peck depth, 2);
PARAM(_DWELL, D, Dwell at the bottom, 0);
PRINT(G83 Z%f Q%f P%f, _Z2, _PECK, _DWELL);

CYCLE(G76, Thread cutting, Threading);
TOOL(Chisel);
PARAM(_PITCH, OD, Pitch, 1.5);
PARAM(_PASSES, OD, Number of passes, 6);
PARAM(_KIND, O, Thread kind, 1);
value(Cylinder, 0, 0);
value(Cone, 1, 1);
PRINT(G76 P%.0f Z%f F%f, _PASSES, _Z2, _PITCH);
END_MACHINE_CYCLES
"""
