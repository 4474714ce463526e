#!/usr/bin/env python3
"""Checks every #include of our code against the layer table below.

Each folder of the product belongs to one layer (library); a file may include its own layer and
the layers its row allows, nothing above or beside it. Test, benchmark and fuzz code may include
anything. Prints one line per offending include and exits with 1 when there is any.

Usage: scripts/check-includes.py [ROOT]   (ROOT defaults to the repository this script is in)
"""
import os
import re
import sys

# Layer name, the folder it is (longest folder wins), and the layers it may include.
LAYERS = [
    ("core", "core/", []),
    ("platform", "platform/", ["core"]),
    ("base", "base/", ["core", "platform"]),
    ("sdk", "sdk/", ["core"]),
    ("protocol", "remote/protocol/", ["core", "base"]),
    ("channels", "remote/channels/", ["core", "platform", "base", "sdk", "protocol"]),
    ("hoverknob", "hostaccess/hoverknob/", ["core", "platform", "base", "sdk"]),
    ("remote", "remote/",
     ["core", "platform", "base", "sdk", "protocol", "channels", "hoverknob"]),
    ("extsetup", "extsetup/", ["core", "platform", "base", "sdk"]),
    ("service", "hostaccess/",
     ["core", "platform", "base", "sdk", "protocol", "channels", "hoverknob", "extsetup"]),
    ("module", "module/",
     ["core", "platform", "base", "sdk", "protocol", "channels", "hoverknob", "remote",
      "extsetup", "service"]),
    ("finder", "finder/", ["core", "platform", "base", "sdk"]),
    # plugscan meets plugprobe only as a process, never through the finder's code.
    ("scanner", "scanner/", ["core", "platform", "base"]),
    # The skin package's layout: written by skinpack, read by the reference host.
    ("skinformat", "tools/skinformat/", []),
    ("sim", "sim/", ["core", "platform", "base", "sdk", "skinformat"]),
    ("tools", "tools/", ["core", "platform", "base", "skinformat"]),
]

# The reference host's own rooms, inside the "sim" layer: which room's headers a file of sim/host/
# may include (longest folder wins; "host" is sim/host/ itself, the running host that owns the
# rooms). A room's implementation (.cpp) may also include the host's run state, sim/host/HostState.h
# and what it names: each host object reaches its run through the connection it holds. Code of
# sim/ outside sim/host/ uses any room.
ROOMS = [
    ("kit", "sim/host/kit/", []),
    ("project", "sim/host/project/", ["kit"]),
    ("services", "sim/host/services/", ["kit"]),
    ("panels", "sim/host/panels/", ["kit"]),
    ("midi", "sim/host/midi/", ["kit"]),
    ("host", "sim/host/", ["kit", "project", "services", "panels", "midi"]),
]
ROOM_RUN_STATE = ["sim/host/HostState.h", "sim/host/SimHost.h", "sim/host/UserDialogs.h"]

# Single includes allowed beyond the table: (including folder, included folder).
EXCEPTIONS = [
]

# Folders whose code may include any layer.
FREE = ["tests/", "bench/", "fuzz/"]

# Folders that hold no code of ours.
SKIPPED = ["build/", ".git/", ".cache/", "cmake/", "scripts/"]

SOURCE_SUFFIXES = (".h", ".hpp", ".cpp", ".cc", ".c", ".in")
INCLUDE = re.compile(r'^\s*#\s*include\s*[<"]([^">]+)[">]')


def row_of(table, path):
    """The name of the table's row whose folder holds path (the longest wins), or None."""
    best = None
    for name, folder, _ in table:
        if path.startswith(folder) and (best is None or len(folder) > len(best[1])):
            best = (name, folder)
    return best[0] if best else None


def room_problem(path, target):
    """Why `path` may not include `target` by the room table, or None."""
    own, used = row_of(ROOMS, path), row_of(ROOMS, target)
    if own is None or used is None or own == used:
        return None
    if used in dict((n, u) for n, _, u in ROOMS)[own]:
        return None
    if path.endswith(".cpp") and target in ROOM_RUN_STATE:
        return None
    return f"room {own} may not include {target} (room {used})"


def layer_of(path):
    return row_of(LAYERS, path)


def table_cycle():
    """A cycle in the table itself, as a list of layer names, or None."""
    allowed = {name: uses for name, _, uses in LAYERS}
    state = {}

    def visit(name, trail):
        state[name] = "open"
        for used in allowed.get(name, []):
            if state.get(used) == "open":
                return trail + [name, used]
            if used not in state:
                found = visit(used, trail + [name])
                if found:
                    return found
        state[name] = "done"
        return None

    for name in allowed:
        if name not in state:
            found = visit(name, [])
            if found:
                return found
    return None


def main():
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else
                           os.path.join(os.path.dirname(__file__), ".."))
    problems = []
    cycle = table_cycle()
    if cycle:
        problems.append("the layer table has a cycle: " + " -> ".join(cycle))
    # An include naming one of the repository's folders is ours; anything else is a system or
    # library header.
    top_folders = {entry for entry in os.listdir(root)
                   if os.path.isdir(os.path.join(root, entry)) and entry + "/" not in SKIPPED}
    allowed = {name: set(uses) | {name} for name, _, uses in LAYERS}
    checked = 0
    for directory, subdirs, files in os.walk(root):
        relative_dir = os.path.relpath(directory, root).replace(os.sep, "/")
        relative_dir = "" if relative_dir == "." else relative_dir + "/"
        subdirs[:] = sorted(d for d in subdirs
                            if not any((relative_dir + d + "/").startswith(s) for s in SKIPPED))
        for file_name in sorted(files):
            if not file_name.endswith(SOURCE_SUFFIXES):
                continue
            path = relative_dir + file_name
            if any(path.startswith(free) for free in FREE) or "/" not in path:
                continue
            own = layer_of(path)
            if own is None:
                problems.append(f"{path}: its folder has no row in the layer table")
                continue
            checked += 1
            with open(os.path.join(root, path), encoding="utf-8", errors="replace") as source:
                for number, line in enumerate(source, 1):
                    match = INCLUDE.match(line)
                    if not match:
                        continue
                    target = match.group(1)
                    if target.split("/")[0] not in top_folders:
                        continue
                    used = layer_of(target)
                    if used in allowed[own]:
                        why = room_problem(path, target)
                        if why:
                            problems.append(f"{path}:{number}: {why}")
                        continue
                    if any(path.startswith(a) and target.startswith(b) for a, b in EXCEPTIONS):
                        continue
                    problems.append(f"{path}:{number}: {own} may not include {target}"
                                    f" ({used or 'no layer'})")
    for problem in problems:
        print(problem)
    print(f"include check: {checked} files, {len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
