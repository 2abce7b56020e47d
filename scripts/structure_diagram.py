#!/usr/bin/env python3
"""Draws docs/structure.svg from the build's own target graph (cmake --graphviz), so the picture
shows what links what, not what we meant to link: each target stands above what it links, the
shared formats library at the ground floor, the programs on top.

usage: structure_diagram.py BUILD_DIR OUT.svg
"""
import os
import re
import subprocess
import sys
import tempfile

# Our product's targets, with the folder each is built from.
TARGETS = [
    [("rotaryn_formats", "formats/")],
    [("rotaryn_platform", "src/platform/"), ("rotaryn_simmodel", "sim/model/"),
     ("rotaryn_interface", "include/rotaryn/ (C interface)")],
    [("rotaryn_fennor", "components/fennor/"), ("rotaryn_gravik", "components/gravik/"),
     ("rotaryn_gravik_process", "components/gravik/ (process)"),
     ("rotaryn_core", "src/ (the plug-in's core)"), ("rotaryn_adminlib", "admin/")],
    [("rotaryn_qtview", "src/ui/qt/"), ("rotaryn_hostlib", "host/"),
     ("rotaryn_hostgui", "host/gui/")],
    [("twkRotaryn", "libtwkRotaryn.so (src/library/)"), ("rotaryn-host", "program"),
     ("rotaryn-admin", "program"), ("dfbhd-sim", "program"),
     ("rotaryn-memtool", "program")],
]
# The host loads the plug-in at run time through its C interface only: drawn, not linked (the
# build graph's edge from the host library to the plug-in is a build order, not a link).
RUNTIME = [("rotaryn_hostlib", "twkRotaryn", "loads at run time (dlopen), C interface only")]


def target_edges(build_dir):
    with tempfile.TemporaryDirectory() as tmp:
        graph = os.path.join(tmp, "g.dot")
        subprocess.run(["cmake", "--graphviz=" + graph, build_dir], check=True, cwd=tmp,
                       stdout=subprocess.DEVNULL)
        text = open(graph, encoding="utf-8").read()
    names = dict(re.findall(r'"(node\d+)" \[ label = "([^"]+)"', text))
    edges = set()
    for a, b in re.findall(r'"(node\d+)" -> "(node\d+)"', text):
        edges.add((names[a], names[b]))
    return edges


def main():
    build_dir, out = os.path.abspath(sys.argv[1]), sys.argv[2]
    ours = {name: label for floor in TARGETS for name, label in floor}
    runtime = {(a, b) for a, b, _ in RUNTIME}
    edges = sorted((a, b) for a, b in target_edges(build_dir)
                   if a in ours and b in ours and (a, b) not in runtime)
    lines = ["digraph structure {", "  rankdir=TB; nodesep=0.25; ranksep=0.5;",
             '  node [shape=box, style="rounded,filled", fillcolor="#f4f6fa", fontname="Helvetica",'
             ' fontsize=11];', '  edge [color="#7a869a", arrowsize=0.6];']
    lines.append('  { rank=sink; "rotaryn_formats"; }')
    for level, floor in enumerate(TARGETS):
        for name, label in floor:
            if any(name in e for e in edges):
                colour = "#d9ead3" if level == 0 else "#f4f6fa"
                lines.append(f'  "{name}" [label="{name}\\n{label}", fillcolor="{colour}"];')
    for a, b in edges:
        lines.append(f'  "{a}" -> "{b}";')
    for a, b, label in RUNTIME:
        lines.append(f'  "{a}" -> "{b}" [style=dashed, color="#c0504d", label="{label}",'
                     ' fontsize=9, fontcolor="#c0504d", constraint=false];')
    lines.append("}")
    subprocess.run(["dot", "-Tsvg", "-o", out], input="\n".join(lines), text=True, check=True)
    # The drawing's promise, checked on the graph it was drawn from.
    core_users = [a for a, b in edges if b == "rotaryn_core"]
    wrong = [a for a in core_users if a.startswith(("rotaryn_host", "rotaryn-host", "rotaryn_admin",
                                                    "rotaryn-admin", "rotaryn_sim", "dfbhd"))]
    if wrong:
        sys.exit("links into the plug-in's core: " + ", ".join(wrong))


if __name__ == "__main__":
    main()
