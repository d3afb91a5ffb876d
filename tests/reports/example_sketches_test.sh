#!/usr/bin/env bash
# The bundled example's sketches made by the program: an operation's sketch,
# the plan sketch and the document set, exported as SVG (read back by an XML
# parser) and DXF (read back by Debian's ezdxf), the saved sketches exported
# again by the host program itself; the setup sheet, and the export to
# TECHPLAN onto a new file and onto the same file again.
# Arguments: the zarvento program, the examples folder, the example's STEP file.
set -euo pipefail
zarvento=$1
examples=$2
step=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir example
cp "$step" example/stepped-shaft.step
"$zarvento" tool-model "$examples/tools/roughing_tool.txt" example/roughing_tool.rdp >/dev/null
"$zarvento" tool-model "$examples/tools/finishing_tool.txt" example/finishing_tool.rdp >/dev/null
"$zarvento" run --no-tree --new example/stepped-shaft.rdp "$examples/shaft/make-stepped-shaft.zsc" >/dev/null
"$zarvento" run --no-tree example/stepped-shaft.rdp "$examples/shaft/nc-plan.zsc" >/dev/null
cat >sketches.zsc <<'SCRIPT'
synchronize
sketch 0
drawing op1.svg op1.dxf saved.rdd
sketch 1
drawing op2.svg op2.dxf
plan-document
drawing plan.svg plan.dxf
answer save-file ok file=set/Shaft.rdd
document-set
SCRIPT
"$zarvento" run --no-tree --no-save example/stepped-shaft.rdp sketches.zsc >run.log
grep -q "Комплект докуметов сформирован" run.log
for f in saved.rdd set/Shaft/*.rdd; do
  "$zarvento" drawing "$f" "${f%.rdd}.svg" >/dev/null
  "$zarvento" drawing "$f" "${f%.rdd}.dxf" >/dev/null
done
mkdir sheet
"$zarvento" setup-sheet example/stepped-shaft.rdp -o sheet/setup.svg >/dev/null
"$zarvento" setup-sheet example/stepped-shaft.rdp -o sheet/setup.rdd >/dev/null
"$zarvento" export example/stepped-shaft.rdp "plans/Вал.rev.xml" >export.log 2>&1 && exit 1
mkdir plans
"$zarvento" export example/stepped-shaft.rdp "plans/Вал.rev.xml" >export.log 2>&1
grep -q "Комплект документов сформирован" export.log
"$zarvento" export example/stepped-shaft.rdp "plans/Вал.rev.xml" >export2.log 2>&1
grep -q "Комплект документов сформирован" export2.log
/usr/bin/python3 - <<'CHECK'
import glob
import xml.etree.ElementTree as ET

import ezdxf

sets = sorted(glob.glob("set/Shaft/*.rdd"))
assert [s.split("/")[-1] for s in sets] == ["Эскиз 0.rdd", "Эскиз 1.rdd", "Эскиз 2.rdd"], sets
assert not glob.glob("set/Shaft/*.bak")
svgs = sorted(glob.glob("*.svg") + glob.glob("set/Shaft/*.svg"))
assert len(svgs) == 7, svgs
for f in svgs:
    assert ET.parse(f).getroot().tag == "{http://www.w3.org/2000/svg}svg", f
# The plan sketch holds the part's picture; the operation sketches do not.
assert "<image" in open("plan.svg", encoding="utf-8").read()
assert "<image" not in open("op1.svg", encoding="utf-8").read()
# The saved sketch exports as the open one did.
assert open("saved.svg", encoding="utf-8").read() == open("op1.svg", encoding="utf-8").read()
for f in sorted(glob.glob("*.dxf") + glob.glob("set/Shaft/*.dxf")):
    kinds = {e.dxftype() for e in ezdxf.readfile(f).modelspace()}
    assert {"LINE", "TEXT", "CIRCLE"} <= kinds, (f, kinds)
texts = [e.dxf.text for e in ezdxf.readfile("op1.dxf").modelspace().query("TEXT")]
assert "Переход 1" in texts and "Инструмент" in texts, texts
# The setup sheet: the picture, the table and its caption.
sheet = open("sheet/setup.svg", encoding="utf-8").read()
assert "<image" in sheet and "Список переходов" in sheet and "время обработки, мин" in sheet
ET.parse("sheet/setup.svg")
# The export: the merged XML, and the folder with the model, the sketches
# and the program.
root = ET.parse("plans/Вал.rev.xml").getroot()
assert root.tag == "techplans" and len(root) == 1 and root[0].tag == "techplan", root
files = sorted(f.split("/")[-1] for f in glob.glob("plans/Вал.rev/*"))
assert files == ["Val.rev.nc", "Вал.rev.rdp", "Эскиз 0 (Вал.rev).rdd", "Эскиз 1 (Вал.rev).rdd",
                 "Эскиз 2 (Вал.rev).rdd"], files
print("example sketches: ok")
CHECK
