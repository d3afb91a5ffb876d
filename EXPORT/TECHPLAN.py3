# Zarvento export post-processor: the machining process for the process-
# planning system TECHPLAN, as XML (UTF-8).
#
# VERSION 18
# FILE_EXTENSION xml
# USE_PYTHON 1
#
# Header keys are found by their first occurrence anywhere in this file, so
# they stand here, before everything else, one to a line. The templates below
# turn every frame of the plan's program into one XML element of the root
# element "techplan", whose first elements name the part's file and the
# post-processor (as character data, so that any path reads back);
# comments (the part's name comes before the head) are XML comments. A
# machine cycle writes its own description's text, which stays as text
# inside the root element.
#
# The script runs when the chosen XML file already exists, in the plan's
# temporary folder: it reads the new text from input.tmp and the existing file
# from output.tmp, puts the new process in place of the one of the same part
# (or after the others), leaves the merged file in output.tmp, and writes into
# path.tmp the steps the library then performs: UpdateXML, Copy3Dmodel,
# CreateAllSketches, CopyProgram. A file it cannot read, or one whose root
# element is not the export's own (techplan or techplans), is left alone,
# and path.tmp is not written: the export is then cancelled. It is started as
# python3 TECHPLAN.py3 <temporary folder> <units factor>.
"""
BEGIN_MACHINE_CYCLES
FORMAT(number=0, %f=%1.3f, %m=%1.3f, %n=%1.3f);

CODE(Head);
PRINT(<techplan version="1"><part><![CDATA[%s]]></part><post><![CDATA[%s]]></post>, MODEL.File, _sPOST);
CODE(Safe);
PRINT(<safe/>);
CODE(Comm);
PRINT(<!-- %s -->, _sCOMMENT);
CODE(NameOper);
PRINT(<operation><![CDATA[%s]]></operation>, _sNAMEOPER);
CODE(BegOper);
PRINT(<begin/>);
CODE(EndOper);
PRINT(<end/>);
CODE(T);
PRINT(<tool position="%1.0f"/>, _T);
CODE(S);
PRINT(<spindle n="%1.0f"/>, _S);
CODE(F);
PRINT(<feed f="%1.3f"/>, _F);
CODE(SF);
PRINT(<spindle n="%1.0f" f="%1.3f"/>, _S, _F);
CODE(G96);
PRINT(<spindle v="%1.0f"/>, _V);
CODE(G97);
PRINT(<spindle n="%1.0f"/>, _S);
CODE(G40);
PRINT(<correction side="0"/>);
CODE(G41);
PRINT(<correction side="1"/>);
CODE(G42);
PRINT(<correction side="2"/>);
CODE(G66);
CODE(M01);
PRINT(<stop optional="1"/>);
CODE(M03);
PRINT(<rotation dir="3"/>);
CODE(M04);
PRINT(<rotation dir="4"/>);
CODE(M05);
PRINT(<rotation dir="5"/>);
CODE(M08);
PRINT(<coolant on="1"/>);
CODE(M09);
PRINT(<coolant on="0"/>);
CODE(G00);
PRINT(<rapid x="%1.3f" z="%1.3f"/>, _X2, _Z2);
CODE(G01);
PRINT(<line x="%1.3f" z="%1.3f" f="%1.3f"/>, _X2, _Z2, _F);
CODE(G02);
PRINT(<arc dir="2" x="%1.3f" z="%1.3f" r="%1.3f" f="%1.3f"/>, _X2, _Z2, _R, _F);
CODE(G03);
PRINT(<arc dir="3" x="%1.3f" z="%1.3f" r="%1.3f" f="%1.3f"/>, _X2, _Z2, _R, _F);
CODE(G04);
PRINT(<dwell p="%1.3f"/>, _P);
CODE(G28);
PRINT(<home/>);
CODE(SP);
PRINT(<stop optional="0"/>);
CODE(M30);
PRINT(<programend/>);
CODE(Doc1);
PRINT(<document/>);
CODE(End);
PRINT(</techplan>);
END_MACHINE_CYCLES
"""
import os
import sys
import xml.etree.ElementTree as ET


def read_root(name):
    try:
        return ET.parse(name).getroot()
    except (OSError, ET.ParseError) as error:
        print("TECHPLAN: %s: %s" % (name, error))
        return None


def part_of(process):
    # The part's file is an element of its own (a path may hold '&' or '"');
    # files written before kept it as an attribute.
    return process.findtext("part") or process.get("part")


def main(argv):
    # The temporary folder is the argument that names a folder (the script
    # also runs in it).
    folders = [a for a in argv[1:] if os.path.isdir(a)]
    folder = folders[0] if folders else "."
    new = read_root(os.path.join(folder, "input.tmp"))
    old = read_root(os.path.join(folder, "output.tmp"))
    if new is None or old is None:
        return 1
    # Only a file of the export's own kind takes the new process: anything
    # else is someone's XML and is left as it is.
    if old.tag not in ("techplan", "techplans"):
        print("TECHPLAN: the chosen file holds no processes for TECHPLAN (its root element is <%s>, not "
              "<techplan> or <techplans>); it is left as it is" % old.tag)
        return 1
    # The file keeps one process a part: the new one replaces its earlier one.
    merged = ET.Element("techplans") if old.tag == "techplan" else old
    if merged is not old:
        merged.append(old)
    part = part_of(new)
    for process in list(merged):
        if process.tag == "techplan" and part_of(process) == part:
            merged.remove(process)
    merged.append(new)
    ET.ElementTree(merged).write(os.path.join(folder, "output.tmp"), encoding="utf-8", xml_declaration=True)
    with open(os.path.join(folder, "path.tmp"), "w", encoding="ascii") as answer:
        answer.write("UpdateXML\nCopy3Dmodel\nCreateAllSketches\nCopyProgram\n")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
