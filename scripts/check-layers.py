#!/usr/bin/env python3
"""Fails when an include points up the layers, or when a library's declared
CMake dependencies are not the folders its code includes.

Layers, lowest first: a folder may include itself and the folders below it.
Pelmora (treecontrol) stands beside the library and uses the host alone; the
program (app) is the host: it reaches the library through the loaded module
and includes no more than the host and the module's interface. A test folder
may include what the folder it tests may include (and what TESTS_BESIDE
grants it); benchmarks may include any.
A component's type library (the interfaces a client reaches its objects
through, with nothing to link) may be included by any folder: the client
makes the objects by ProgID through the host and never links the component.
Prints the includes counted by folder, then each fault."""

import os
import re
import sys

LAYERS = ["platform", "geometry", "nc", "catalogs", "post", "model", "plan", "operations",
          "simulation", "panels", "operation_panels", "reports", "host"]
BESIDE = {"treecontrol": {"platform"}, "app": {"platform", "host"}}
# A test folder that reaches further than its layer, and why: the simulation's
# example is made by the bundled scripts, which drive the panels on the host.
TESTS_BESIDE = {"simulation": {"panels"}}
# Type libraries: headers of interfaces only, open to every folder.
TYPE_LIBRARIES = {"treecontrol/pelmora_lib.h"}

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
INCLUDE = re.compile(r'^\s*#\s*include\s+"(([a-z_]+)/[^"]+)"', re.M)


def allowed(folder):
    if folder in BESIDE:
        return BESIDE[folder] | {folder}
    return set(LAYERS[: LAYERS.index(folder) + 1])


def includes(folder):
    """Every (file, included folder) of the sources under a folder."""
    for dirpath, _, files in sorted(os.walk(os.path.join(ROOT, folder))):
        for name in sorted(files):
            if not name.endswith((".cpp", ".h")):
                continue
            file = os.path.join(dirpath, name)
            with open(file, encoding="utf-8") as f:
                for path, target in INCLUDE.findall(f.read()):
                    if path in TYPE_LIBRARIES and not folder.endswith(path.split("/")[0]):
                        continue
                    yield os.path.relpath(file, ROOT), target


def declared_deps(folder):
    """The zarvento_* targets a folder's library declares, or None without one."""
    cmake = os.path.join(ROOT, folder, "CMakeLists.txt")
    if not os.path.exists(cmake):
        return None
    with open(cmake, encoding="utf-8") as f:
        text = f.read()
    call = re.search(r"zarvento_add_library\(\s*zarvento_%s\b(.*?)\)" % folder, text, re.S)
    if not call:
        return None
    args = call.group(1)
    public = re.search(r"\bDEPS\b(.*?)(\bPRIVATE_DEPS\b|$)", args, re.S)
    if not public:
        return set()
    # A folder may build more than one library: zarvento_<folder>_<part> counts as the folder.
    known = set(LAYERS) | set(BESIDE)
    deps = set()
    for name in re.findall(r"\bzarvento_([a-z_]+)", public.group(1)):
        parts = [f for f in known if name.startswith(f + "_")]
        deps.add(name if name in known or not parts else max(parts, key=len))
    return deps


def main():
    faults = []
    table = []
    known = set(LAYERS) | set(BESIDE)
    for folder in LAYERS + sorted(BESIDE):
        if not os.path.isdir(os.path.join(ROOT, folder)):
            continue
        counts = {}
        for file, target in includes(folder):
            counts[target] = counts.get(target, 0) + 1
            if target in known and target not in allowed(folder):
                faults.append("%s includes %s/, which is above %s/" % (file, target, folder))
        table.append((folder, counts))
        deps = declared_deps(folder)
        if deps is not None:
            used = {t for t in counts if t in known and t != folder}
            if deps != used:
                faults.append("%s/CMakeLists.txt declares %s but the code includes %s" %
                              (folder, " ".join(sorted(deps)) or "nothing", " ".join(sorted(used)) or "nothing"))
    tests = os.path.join(ROOT, "tests")
    for folder in sorted(os.listdir(tests)):
        if folder not in known:
            continue
        for file, target in includes(os.path.join("tests", folder)):
            if target in known and target not in allowed(folder) | TESTS_BESIDE.get(folder, set()):
                faults.append("%s includes %s/, which is above %s/" % (file, target, folder))

    for folder, counts in table:
        print("%-12s %s" % (folder + ":", " ".join("%s %d" % (t, counts[t]) for t in sorted(counts))))
    for fault in faults:
        print("layers: " + fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
