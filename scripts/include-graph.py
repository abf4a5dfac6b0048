#!/usr/bin/env python3
"""Folder-to-folder include counts of the bench (src/) and the device library (vnapi/).

Prints one line per pair of folders with the number of #include lines from the
first into the second, then fails (exit 1) when
  - two or more folders include each other round a circle,
  - any folder includes src/app (the composition root nothing includes),
  - vnapi includes anything of src,
  - a feature folder of src (any but core, platform and app) includes another
    feature folder: features stand on core, platform and vnapi alone.
Usage: scripts/include-graph.py [repository root]
"""
import os
import re
import sys

# What feature folders may stand on, besides vnapi; app may include anything.
BASE = {"src/core", "src/platform", "src/app"}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def folder_of(root, path):
    """src/<folder>, or vnapi/<folder> for vnapi/src/<folder> and vnapi/include."""
    rel = os.path.relpath(path, root).split(os.sep)
    if rel[0] == "src":
        return "src/" + rel[1] if len(rel) > 2 else "src"
    if rel[0] == "vnapi":
        if rel[1] == "include":
            return "vnapi/include"
        if rel[1] == "src":
            return "vnapi/" + rel[2] if len(rel) > 3 else "vnapi/src"
        return "vnapi/" + rel[1]
    return rel[0]


def resolve(root, source, name):
    """The file an include names, searched as the build does: beside the
    including file, then src/, vnapi/include and vnapi/src."""
    for base in (os.path.dirname(source), os.path.join(root, "src"), os.path.join(root, "vnapi", "include"),
                 os.path.join(root, "vnapi", "src")):
        candidate = os.path.normpath(os.path.join(base, name))
        if os.path.isfile(candidate):
            return candidate
    return None


def edges(root):
    counts = {}
    for top in ("src", "vnapi"):
        for dirpath, _, files in os.walk(os.path.join(root, top)):
            for name in files:
                if not name.endswith((".h", ".cpp", ".hpp")):
                    continue
                path = os.path.join(dirpath, name)
                with open(path, encoding="utf-8", errors="replace") as f:
                    text = f.read()
                source = folder_of(root, path)
                for include in INCLUDE.findall(text):
                    target_path = resolve(root, path, include)
                    if not target_path:
                        continue
                    target = folder_of(root, target_path)
                    if target != source:
                        counts[(source, target)] = counts.get((source, target), 0) + 1
    return counts


def circles(counts):
    """Strongly connected groups of more than one folder (Tarjan)."""
    graph = {}
    for a, b in counts:
        graph.setdefault(a, set()).add(b)
        graph.setdefault(b, set())
    index, low, stack, on_stack, groups = {}, {}, [], set(), []

    def visit(node):
        index[node] = low[node] = len(index)
        stack.append(node)
        on_stack.add(node)
        for nxt in sorted(graph[node]):
            if nxt not in index:
                visit(nxt)
                low[node] = min(low[node], low[nxt])
            elif nxt in on_stack:
                low[node] = min(low[node], index[nxt])
        if low[node] == index[node]:
            group = []
            while True:
                top = stack.pop()
                on_stack.discard(top)
                group.append(top)
                if top == node:
                    break
            if len(group) > 1:
                groups.append(sorted(group))

    for node in sorted(graph):
        if node not in index:
            visit(node)
    return groups


def main():
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), ".."))
    counts = edges(root)
    for (a, b), n in sorted(counts.items()):
        print(f"{a:22} -> {b:22} {n:4}")
    faults = []
    for group in circles(counts):
        faults.append("circle between " + ", ".join(group))
    for (a, b), n in sorted(counts.items()):
        if b == "src/app":
            faults.append(f"{a} includes src/app ({n})")
        if a.startswith("vnapi") and b.startswith("src"):
            faults.append(f"{a} includes {b} ({n})")
        if a not in BASE and a.startswith("src/") and b not in BASE and b.startswith("src/") and b != "src/app":
            faults.append(f"feature {a} includes feature {b} ({n})")
    for fault in faults:
        print("FAULT: " + fault, file=sys.stderr)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
