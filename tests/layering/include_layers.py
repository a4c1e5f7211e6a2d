#!/usr/bin/env python3
"""Fails on an include cycle between units, or an include against the layers.

A unit is a header and its source (x.h and x.cpp in one folder). Unit A
depends on unit B when a file of A includes a header of B with #include "...".
The layers: core includes no other top folder; platform includes only core;
nothing includes the programs. A cycle between units, or an arrow from a lower
top folder to a higher one, is named with the files that make it.

    include_layers.py ROOT            check the tree at ROOT
    include_layers.py --self-test     check the checker on small trees
"""
import os
import re
import sys
import tempfile

SOURCE_ENDINGS = (".h", ".hpp", ".cpp", ".cc")
SKIPPED = {"build", "tests", "node_modules", ".git"}
PROGRAMS = {"yepharvest", "wiffharvest"}
FRONT = {"frontend", "tools", "web"}
# The top folders that each top folder may not include.
FORBIDDEN = {
    "core": {"platform"} | FRONT | PROGRAMS,
    "platform": FRONT | PROGRAMS,
    "frontend": PROGRAMS,
    "tools": PROGRAMS,
    "web": PROGRAMS,
    "bench": set(),
}
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')


def sources(root):
    for top in sorted(os.listdir(root)):
        if top in SKIPPED or top.startswith(".") or not os.path.isdir(os.path.join(root, top)):
            continue
        for folder, dirs, files in os.walk(os.path.join(root, top)):
            dirs[:] = sorted(d for d in dirs if d not in SKIPPED)
            for name in sorted(files):
                if name.endswith(SOURCE_ENDINGS):
                    yield os.path.relpath(os.path.join(folder, name), root).replace(os.sep, "/")


def unit_of(path):
    return os.path.splitext(path)[0]


def includes(root, path):
    with open(os.path.join(root, path), encoding="utf-8", errors="replace") as text:
        for number, line in enumerate(text, 1):
            found = INCLUDE.match(line)
            if found:
                yield number, found.group(1)


def check(root):
    """The faults of the tree, one line each."""
    files = list(sources(root))
    known = set(files)
    graph = {}  # unit -> {unit: "file:line"}
    faults = []
    for path in files:
        top = path.split("/", 1)[0]
        arrows = graph.setdefault(unit_of(path), {})
        for number, target in includes(root, path):
            if target not in known:
                continue  # a system or generated header, or one beside the tree
            where = f"{path}:{number}"
            if target.split("/", 1)[0] in FORBIDDEN.get(top, set()):
                faults.append(f"layer: {where} includes {target}")
            if unit_of(target) != unit_of(path):
                arrows.setdefault(unit_of(target), where)
    for cycle in cycles(graph):
        steps = []
        for i, unit in enumerate(cycle):
            following = cycle[(i + 1) % len(cycle)]
            steps.append(f"{unit} -> {following} ({graph[unit][following]})")
        faults.append("cycle: " + "; ".join(steps))
    return faults


def cycles(graph):
    """One cycle through each strongly connected set of two units or more."""
    index, low, stack, on_stack, found = {}, {}, [], set(), []
    counter = [0]

    def connect(unit):
        # Iterative Tarjan: a deep include chain must not hit the recursion limit.
        work = [(unit, iter(sorted(graph.get(unit, {}))))]
        index[unit] = low[unit] = counter[0]
        counter[0] += 1
        stack.append(unit)
        on_stack.add(unit)
        while work:
            node, following = work[-1]
            advanced = False
            for target in following:
                if target not in index:
                    index[target] = low[target] = counter[0]
                    counter[0] += 1
                    stack.append(target)
                    on_stack.add(target)
                    work.append((target, iter(sorted(graph.get(target, {})))))
                    advanced = True
                    break
                if target in on_stack:
                    low[node] = min(low[node], index[target])
            if advanced:
                continue
            work.pop()
            if work:
                low[work[-1][0]] = min(low[work[-1][0]], low[node])
            if low[node] == index[node]:
                members = []
                while True:
                    member = stack.pop()
                    on_stack.discard(member)
                    members.append(member)
                    if member == node:
                        break
                if len(members) > 1:
                    found.append(path_through(graph, set(members)))

    for unit in sorted(graph):
        if unit not in index:
            connect(unit)
    return found


def path_through(graph, members):
    """A closed walk within `members` from its first unit back to it."""
    start = min(members)
    previous = {start: None}
    queue = [start]
    while queue:
        unit = queue.pop(0)
        for target in sorted(graph.get(unit, {})):
            if target == start:
                walk = [unit]
                while previous[walk[-1]] is not None:
                    walk.append(previous[walk[-1]])
                return list(reversed(walk))
            if target in members and target not in previous:
                previous[target] = unit
                queue.append(target)
    return sorted(members)


def self_test():
    """Small trees with a known answer each."""
    cases = [
        ("clean", {"core/a.h": ["core/b.h"], "core/a.cpp": ["core/a.h"], "core/b.h": [],
                   "platform/p.h": ["core/a.h"], "yepharvest/m.cpp": ["platform/p.h", "core/b.h"]}, []),
        ("header and source of one unit", {"core/a.h": [], "core/a.cpp": ["core/a.h", "core/b.h"],
                                           "core/b.h": [], "core/b.cpp": ["core/b.h"]}, []),
        ("cycle through sources", {"core/a.h": [], "core/a.cpp": ["core/b.h"], "core/b.h": [],
                                   "core/b.cpp": ["core/a.h"]}, ["cycle"]),
        ("three-unit cycle", {"core/u/a.h": ["core/u/b.h"], "core/u/b.h": [], "core/u/b.cpp": ["core/u/c.h"],
                              "core/u/c.h": [], "core/u/c.cpp": ["core/u/a.h"]}, ["cycle"]),
        ("core up to platform", {"core/a.cpp": ["platform/p.h"], "platform/p.h": []}, ["layer"]),
        ("platform up to a program", {"platform/p.cpp": ["wiffharvest/w.h"], "wiffharvest/w.h": []}, ["layer"]),
        ("core up to the front ends", {"core/a.cpp": ["frontend/f.h"], "frontend/f.h": []}, ["layer"]),
        ("unknown header ignored", {"core/a.cpp": ["gtest/gtest.h", "core/missing.h"]}, []),
    ]
    failed = 0
    for name, tree, expected in cases:
        with tempfile.TemporaryDirectory() as root:
            for path, targets in tree.items():
                os.makedirs(os.path.join(root, os.path.dirname(path)), exist_ok=True)
                with open(os.path.join(root, path), "w", encoding="utf-8") as out:
                    out.write("".join(f'#include "{t}"\n' for t in targets) + "#include <vector>\n")
            kinds = sorted(fault.split(":", 1)[0] for fault in check(root))
        if kinds != expected:
            print(f"self-test {name}: expected {expected}, found {kinds}")
            failed += 1
    print(f"{len(cases) - failed} of {len(cases)} self-test trees as expected")
    return 1 if failed else 0


def main(argv):
    if argv[1:] == ["--self-test"]:
        return self_test()
    if len(argv) != 2 or not os.path.isdir(argv[1]):
        print(__doc__.strip(), file=sys.stderr)
        return 2
    faults = check(argv[1])
    for fault in faults:
        print(fault)
    units = len({unit_of(path) for path in sources(argv[1])})
    print(f"{units} units checked, {len(faults)} faults")
    # A tree with no unit at all is a wrong root, not a clean tree.
    return 1 if faults or units == 0 else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
