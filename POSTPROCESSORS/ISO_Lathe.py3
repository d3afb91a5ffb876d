# Zarvento post-processor: a generic two-axis ISO lathe control.
# The program text comes from the templates below; no script runs.
#
# VERSION 18
# FILE_EXTENSION nc
# USE_PYTHON 0
# CNC_CODE_0 ISO
# CODE_SYNCHRON_NULLSPINDEL G32
#
# Header keys are found by their first occurrence anywhere in this file, so
# they stand here, before everything else, one to a line.
#
# Inside the section below every statement word is found wherever it stands,
# even inside a longer word, so the section holds statements only.
# Address words in millimetres, inches (_INCH 1) or centimetres (_INCH 2);
# the start block sets the control to inches (G20) for a program in inches
# and to millimetres (G21) otherwise; coordinates and feeds in inches are
# written to four decimals (a thousandth of an inch is 0.025 mm), and the
# cycles' depths in microns (P, Q) in ten-thousandths of an inch.
# The head lists the turret positions of the plan (_NPOS lines, i counting),
# and the tool change keeps its T word as the held line and prints it after
# M06. The roughing cycle (G71, then G70 along the same profile) takes the
# operation's own values: depth of cut _DEPT, retract _RETR, finishing
# allowance _FALW (a side; U is a diameter, both negative inside a bore or
# towards +Z), feed _FEED, finishing feed _FFED and speed _FSPN; its profile
# must not turn back along Z (type II: the P block carries X and Z).
# Thread passes are G32 moves, which start on the spindle's index by
# themselves: the synchronisation block before each of them writes nothing,
# and a move the path marks as a thread cut (_THREAD) writes G32 with its
# lead. A move that carries no feed of its own (the profile of a cycle)
# writes no F word.
"""
BEGIN_MACHINE_CYCLES
ALPHABET(N, G, X, Z, I, K, R, U, W, F, S, T, M, P, Q);
METRIC(_INCH==1 ? 1/25.4 : (_INCH==2 ? 0.1 : 1), X, Z, I, K, R, U, W, F);
FORMAT(number=1, format_number=N%4f, %m=%6.3m, %f=%6.3f, %n=%6.3n);

CODE(Head);
FORMAT(number=0);
PRINT(%);
PRINT(O0001 (%s), _sPOST);
PRINT_TBL(_NPOS, (T%02.0f %T), i, TOOLi.sName);
CODE(Safe);
FORMAT(number=1);
PRINT(G%2.0f G18 G40 G80 G99, _INCH==1 ? 20 : 21);
CODE(Comm);
FORMAT(number=0);
PRINT((%t), _sCOMMENT);
CODE(NameOper);
PRINT((%T), _sNAMEOPER);
FORMAT(number=1);
CODE(BegOper);
PRINT(G00 G40 G80);
CODE(EndOper);
PRINT(G00 G40 G80);
CODE(T);
PRINT_MEM(T%02.0f%02.0f, _T, _T);
PRINT(G28 U0);
PRINT(M06%s, _sMEMSTR);
CODE(S);
PRINT(G97 S%5.0f, _S);
CODE(F);
FORMAT(print=_INCH!=1);
PRINT(F%5.3f, _F);
FORMAT(print=_INCH==1);
PRINT(F%6.4f, _F);
CODE(SF);
FORMAT(print=_INCH!=1);
PRINT(G97 S%5.0f F%5.3f, _S, _F);
FORMAT(print=_INCH==1);
PRINT(G97 S%5.0f F%6.4f, _S, _F);
FORMAT(print=1);
CODE(G96);
PRINT(G96 S%5.0f, _V);
CODE(G97);
PRINT(G97 S%5.0f, _S);
CODE(G40);
PRINT(G40);
CODE(G41);
PRINT(G41);
CODE(G42);
PRINT(G42);
CODE(G66);
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
FORMAT(print=_INCH!=1);
PRINT(G00 X%m Z%m, _X2, _Z2);
FORMAT(print=_INCH==1);
PRINT(G00 X%7.4m Z%7.4m, _X2, _Z2);
CODE(G01);
FORMAT(print=_THREAD && _INCH!=1);
PRINT(G32 X%m Z%m F%f, _X2, _Z2, _F);
FORMAT(print=_THREAD && _INCH==1);
PRINT(G32 X%7.4m Z%7.4m F%6.4f, _X2, _Z2, _F);
FORMAT(print=_THREAD==0 && _F>0.0005 && _INCH!=1);
PRINT(G01 X%m Z%m F%m, _X2, _Z2, _F);
FORMAT(print=_THREAD==0 && _F>0.0005 && _INCH==1);
PRINT(G01 X%7.4m Z%7.4m F%6.4m, _X2, _Z2, _F);
FORMAT(print=_THREAD==0 && _F<0.0005 && _INCH!=1);
PRINT(G01 X%m Z%m, _X2, _Z2);
FORMAT(print=_THREAD==0 && _F<0.0005 && _INCH==1);
PRINT(G01 X%7.4m Z%7.4m, _X2, _Z2);
CODE(G02);
FORMAT(print=_F>0.0005 && _INCH!=1);
PRINT(G02 X%m Z%m R%f F%m, _X2, _Z2, _R, _F);
FORMAT(print=_F>0.0005 && _INCH==1);
PRINT(G02 X%7.4m Z%7.4m R%6.4f F%6.4m, _X2, _Z2, _R, _F);
FORMAT(print=_F<0.0005 && _INCH!=1);
PRINT(G02 X%m Z%m R%f, _X2, _Z2, _R);
FORMAT(print=_F<0.0005 && _INCH==1);
PRINT(G02 X%7.4m Z%7.4m R%6.4f, _X2, _Z2, _R);
CODE(G03);
FORMAT(print=_F>0.0005 && _INCH!=1);
PRINT(G03 X%m Z%m R%f F%m, _X2, _Z2, _R, _F);
FORMAT(print=_F>0.0005 && _INCH==1);
PRINT(G03 X%7.4m Z%7.4m R%6.4f F%6.4m, _X2, _Z2, _R, _F);
FORMAT(print=_F<0.0005 && _INCH!=1);
PRINT(G03 X%m Z%m R%f, _X2, _Z2, _R);
FORMAT(print=_F<0.0005 && _INCH==1);
PRINT(G03 X%7.4m Z%7.4m R%6.4f, _X2, _Z2, _R);
FORMAT(print=1);
CODE(G04);
PRINT(G04 P%5.0f, _P*1000);
CODE(G28);
PRINT(G28 U0 W0);
CODE(SP);
PRINT(M00);
CODE(M30);
PRINT(M30);
CODE(Doc1);
FORMAT(number=0);
PRINT(\n);
CODE(End);
PRINT(%);
FORMAT(number=1);

TABLE(Feeds, 0);
COLUMN_NAMES(Depth, Steel, Aluminium);
ROW(0, 1, 2);
ROW(1, 0.25, 0.35);
ROW(3, 0.3, 0.45);

CYCLE(G71, Longitudinal roughing, Turning);
COMMENT(Roughing along Z of the whole region with a finishing allowance and G70 along its profile);
FEATURE(MonotonZ);
TOOL(Chisel);
PARAM(_DEPTH, OD, Depth of cut, _DEPT);
PARAM(_RETRACT, D, Retract, _RETR);
PARAM(_ALLOWX, D, Allowance on X, _FH<0 ? -2*_FALW : 2*_FALW);
PARAM(_ALLOWZ, D, Allowance on Z, _FW<0 ? -_FALW : _FALW);
PARAM(_FINISH, O, Finishing pass, 1);
value(No, 0, 0);
value(Yes, 1, 1);
FORMAT(print=_INCH!=1);
PRINT(G71 U%f R%f, _DEPTH, _RETRACT);
PRINT(G71 P%5.0f Q%5.0f U%f W%f F%f, _NumStr+2, _NumStr+1+_C_NP, _ALLOWX, _ALLOWZ, _FEED);
FORMAT(print=_INCH==1);
PRINT(G71 U%6.4f R%6.4f, _DEPTH, _RETRACT);
PRINT(G71 P%5.0f Q%5.0f U%6.4f W%6.4f F%6.4f, _NumStr+2, _NumStr+1+_C_NP, _ALLOWX, _ALLOWZ, _FEED);
FORMAT(print=1);
PRINT_CNT(G01);
FORMAT(print=_FINISH && abs(_ALLOWX)+abs(_ALLOWZ)>0.0005 && _INCH!=1);
PRINT_END(G%2.0f S%5.0f F%f, _VCON==1 ? 96 : 97, _FSPN, _FFED);
FORMAT(print=_FINISH && abs(_ALLOWX)+abs(_ALLOWZ)>0.0005 && _INCH==1);
PRINT_END(G%2.0f S%5.0f F%6.4f, _VCON==1 ? 96 : 97, _FSPN, _FFED);
FORMAT(print=_FINISH && abs(_ALLOWX)+abs(_ALLOWZ)>0.0005);
PRINT_END(G70 P%5.0f Q%5.0f, _NumStr-_C_NP, _NumStr-1);
FORMAT(print=_FINISH && abs(_ALLOWX)+abs(_ALLOWZ)>0.0005 && abs(_FFED-_FEED)>0.0005 && _INCH!=1);
PRINT_END(F%f, _FEED);
FORMAT(print=_FINISH && abs(_ALLOWX)+abs(_ALLOWZ)>0.0005 && abs(_FFED-_FEED)>0.0005 && _INCH==1);
PRINT_END(F%6.4f, _FEED);
FORMAT(print=1);

CYCLE(G83, Peck drilling, Drilling);
TOOL(Drill);
PARAM(_PECKS, OD, Number of pecks, 3);
PARAM(_DWELL, D, Dwell at the bottom, 0);
FORMAT(print=_INCH!=1);
PRINT(G83 Z%f Q%5.0f P%n, _FZ-_FH, ceil(_FH*1000/_PECKS), _DWELL*1000);
FORMAT(print=_INCH==1);
PRINT(G83 Z%6.4f Q%5.0f P%n, _FZ-_FH, ceil(_FH/25.4*10000/_PECKS), _DWELL*1000);
FORMAT(print=1);
PRINT(G80);

CYCLE(G76, Thread cutting, Threading_Chisel);
TOOL(Chisel);
FEATURE(Cylinder Cone);
PARAM(xx, D, Clearance of the start on a side, 1);
PARAM(_PASSES, OD, Number of roughing passes, 6);
PARAM(_SPRINGS, OD, Number of finishing passes, 1);
PARAM(_MINCUT, D, Least depth of cut, 0.05);
PARAM(_ALLOW, D, Finishing allowance, 0.02);
FORMAT(print=_INCH!=1);
PRINT(G76 P%02.0f0060 Q%5.0f R%f, _SPRINGS, _MINCUT*1000, _ALLOW);
PRINT(G76 X%f Z%f R%n P%5.0f Q%5.0f F%f, _FX+2*_FB-2*_FH, _FZ-_FW, -_FB, abs(_FH)*1000, (abs(_FH)-_ALLOW)/sqrt(_PASSES)*1000, _FEED);
FORMAT(print=_INCH==1);
PRINT(G76 P%02.0f0060 Q%5.0f R%6.4f, _SPRINGS, _MINCUT/25.4*10000, _ALLOW);
PRINT(G76 X%6.4f Z%6.4f R%6.4n P%5.0f Q%5.0f F%6.4f, _FX+2*_FB-2*_FH, _FZ-_FW, -_FB, abs(_FH)/25.4*10000, (abs(_FH)-_ALLOW)/sqrt(_PASSES)/25.4*10000, _FEED);
FORMAT(print=1);

CYCLE(G84, Tapping, Threading_Tap_Die);
TOOL(Tap);
FORMAT(print=_INCH!=1);
PRINT(G84 Z%f F%f, _FZ-_FH, _FEED);
FORMAT(print=_INCH==1);
PRINT(G84 Z%6.4f F%6.4f, _FZ-_FH, _FEED);
FORMAT(print=1);
PRINT(G80);
END_MACHINE_CYCLES
"""
