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

platform/ is one shared library made of rooms, as a toolkit is made of
packages: each room is a folder with a target of its own that declares the
rooms it uses, and includes no other. A room may use only rooms listed before
it, so the rooms have no cycle.
Prints the includes counted by folder and by room, then each fault."""

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

# platform's rooms, lowest first: each room and the rooms it may use.
ROOMS = {
    "core": [],  # values, texts and files, stored paths, checks, errors and faults, process state
    "processes": ["core"],  # programs run, the local server, the registries, loaded modules
    "drawings": ["core"],  # 2D documents, curves, sketches, drawables, raster pictures
    "documents": ["core", "processes", "drawings"],  # the application, documents, files, storages
    "part_model": ["core", "processes", "drawings", "documents"],  # the part model's calls; its module
    "dialogs": ["core", "processes", "drawings", "documents", "part_model"],  # windows, panels, picking
    "view": ["core", "drawings", "documents", "part_model"],  # scenes, pictures, view logs
    "tree": ["core", "dialogs"],  # the tree control, image lists
    "host": ["core", "drawings", "documents", "dialogs", "part_model"],  # the host's objects over the rest
}
# The room of platform/'s top folder: the shared library's own sources, so a
# room's target cannot name it among its dependencies.
TOP_ROOM = "part_model"
# Modules beside the host library (they link all of it): they may use any room.
PLATFORM_MODULES = {"step", "heap"}
# Includes against the rooms, and why: a document's file keeps the part's
# stored body and the opening of a STEP file makes a part, both through the
# part model's calls, which sit above the documents they live in.
ROOMS_PENDING = {("platform/documents/document_file.cpp", "part_model"),
                 ("platform/documents/host_documents.cpp", "part_model")}

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
INCLUDE_PATHS = re.compile(r'^\s*#\s*include\s+"platform/([^"]+)"', re.M)
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


def room_of(path):
    """The room of a path under platform/ (a file or an include)."""
    parts = path.split("/")
    return parts[1] if len(parts) > 2 else TOP_ROOM


def check_rooms(faults):
    """Every room includes just the rooms it declares, in its code and in its target."""
    order = list(ROOMS)
    for room, deps in ROOMS.items():
        for dep in deps:
            if dep not in ROOMS or order.index(dep) >= order.index(room):
                faults.append("room %s uses %s, which is not a room below it" % (room, dep))
    used = {room: {} for room in ROOMS}
    pending = set()
    for file in sorted({file for file, _ in includes("platform")}):
        room = room_of(file)
        if room in PLATFORM_MODULES:
            continue
        with open(os.path.join(ROOT, file), encoding="utf-8") as f:
            paths = INCLUDE_PATHS.findall(f.read())
        for path in paths:
            dep = room_of("platform/" + path)
            if (file, dep) in ROOMS_PENDING:
                pending.add((file, dep))
            if dep == room or (file, dep) in ROOMS_PENDING:
                continue
            used[room][dep] = used[room].get(dep, 0) + 1
            if dep not in ROOMS[room]:
                faults.append("%s includes platform/%s, which room %s does not use" % (file, path, room))
    for file, dep in sorted(ROOMS_PENDING - pending):
        faults.append("%s no longer includes %s: take it out of ROOMS_PENDING" % (file, dep))
    for room, deps in ROOMS.items():
        unused = sorted(set(deps) - set(used[room]))
        if unused:
            faults.append("room %s declares %s but never includes it" % (room, " ".join(unused)))
        if room == TOP_ROOM:
            continue
        cmake = os.path.join(ROOT, "platform", room, "CMakeLists.txt")
        text = ""
        if os.path.exists(cmake):
            with open(cmake, encoding="utf-8") as f:
                text = f.read()
        call = re.search(r"zarvento_add_library\(\s*zarvento_platform_%s\s+OBJECT\b(.*?)\)" % room, text, re.S)
        if not call:
            faults.append("platform/%s has no target zarvento_platform_%s" % (room, room))
            continue
        public = re.search(r"\bDEPS\b(.*?)(\bPRIVATE_DEPS\b|$)", call.group(1), re.S)
        declared = set(re.findall(r"\bzarvento_platform_([a-z_]+)", public.group(1))) if public else set()
        if declared != set(deps) - {TOP_ROOM}:
            faults.append("platform/%s/CMakeLists.txt declares %s but the room uses %s" %
                          (room, " ".join(sorted(declared)) or "nothing",
                           " ".join(sorted(set(deps) - {TOP_ROOM})) or "nothing"))
    for name in sorted(os.listdir(os.path.join(ROOT, "platform"))):
        if os.path.isdir(os.path.join(ROOT, "platform", name)) and name not in ROOMS and name not in PLATFORM_MODULES:
            faults.append("platform/%s/ is not a room of check-layers.py" % name)
    return used


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

    rooms = check_rooms(faults)

    for folder, counts in table:
        print("%-12s %s" % (folder + ":", " ".join("%s %d" % (t, counts[t]) for t in sorted(counts))))
    for room, counts in rooms.items():
        print("%-12s %s" % ("  " + room + ":", " ".join("%s %d" % (t, counts[t]) for t in sorted(counts))))
    for fault in faults:
        print("layers: " + fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
