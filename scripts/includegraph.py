#!/usr/bin/env python3
"""Draws the include graph of a source folder (default gui/) as one line per
file ("file: includes...") and reports every circle of files, each file and
its header taken as one node. Exits 1 when there is a circle."""
import os
import re
import sys

root = sys.argv[1] if len(sys.argv) > 1 else "gui"
node_of = {}  # path relative to root -> node (the path without its extension)
edges = {}
for folder, _, names in os.walk(root):
    for name in names:
        if name.endswith((".h", ".cpp")):
            path = os.path.relpath(os.path.join(folder, name), root)
            node_of[path] = os.path.splitext(path)[0]
for path, node in node_of.items():
    folder = os.path.dirname(path)
    with open(os.path.join(root, path), encoding="utf-8") as source:
        for line in source:
            match = re.match(r'\s*#include "([^"]+)"', line)
            if not match:
                continue
            for candidate in (os.path.normpath(os.path.join(folder, match.group(1))), match.group(1)):
                if candidate in node_of and node_of[candidate] != node:
                    edges.setdefault(node, set()).add(node_of[candidate])
                    break
for node in sorted(edges):
    print(f"{node}: {' '.join(sorted(edges[node]))}")

state, stack, circles = {}, [], []
def visit(node):
    state[node] = 1
    stack.append(node)
    for after in sorted(edges.get(node, ())):
        if state.get(after) == 1:
            circles.append(stack[stack.index(after):] + [after])
        elif after not in state:
            visit(after)
    stack.pop()
    state[node] = 2
for node in sorted(set(node_of.values())):
    if node not in state:
        visit(node)
for circle in circles:
    print("circle: " + " -> ".join(circle))
sys.exit(1 if circles else 0)
