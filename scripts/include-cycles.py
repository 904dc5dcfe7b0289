#!/usr/bin/env python3
"""Lists the include edges among the files of a source folder and fails on a cycle.

A file and its header are one module (Scheduler.cpp and Scheduler.h are "Scheduler"): a cycle
between modules is what ties their code together, whichever of the two files says #include.
Only quoted includes that name a file inside the folder count.

    include-cycles.py FOLDER [--edges] [--order]

Prints each cycle found and exits 1; --edges lists every edge, --order the modules from the
ones that use the others down to the ones that use none.
"""
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
SOURCES = ('.cpp', '.h')


def modules(root):
    """Maps each module name to the files it is made of."""
    found = {}
    for folder, _, names in os.walk(root):
        for name in names:
            stem, ext = os.path.splitext(name)
            if ext in SOURCES:
                path = os.path.join(folder, name)
                module = os.path.relpath(os.path.join(folder, stem), root).replace(os.sep, '/')
                found.setdefault(module, []).append(path)
    return found


def edges(root, found):
    graph = {module: set() for module in found}
    for module, paths in found.items():
        for path in paths:
            with open(path, encoding='utf-8') as source:
                text = source.read()
            for target in INCLUDE.findall(text):
                full = os.path.normpath(os.path.join(os.path.dirname(path), target))
                rel = os.path.relpath(full, root).replace(os.sep, '/')
                other = os.path.splitext(rel)[0]
                if other in graph and other != module:
                    graph[module].add(other)
    return graph


def cycles(graph):
    """The strongly connected components of more than one module (Tarjan)."""
    index, low, stack, on_stack, found = {}, {}, [], set(), []

    def visit(node):
        index[node] = low[node] = len(index)
        stack.append(node)
        on_stack.add(node)
        for other in sorted(graph[node]):
            if other not in index:
                visit(other)
                low[node] = min(low[node], low[other])
            elif other in on_stack:
                low[node] = min(low[node], index[other])
        if low[node] == index[node]:
            component = []
            while True:
                other = stack.pop()
                on_stack.discard(other)
                component.append(other)
                if other == node:
                    break
            if len(component) > 1:
                found.append(sorted(component))

    sys.setrecursionlimit(10000)
    for node in sorted(graph):
        if node not in index:
            visit(node)
    return found


def order(graph):
    """Modules from users down to the used: each before every module it includes."""
    done, result = set(), []

    def visit(node):
        if node in done:
            return
        done.add(node)
        for other in sorted(graph[node]):
            visit(other)
        result.append(node)

    for node in sorted(graph):
        visit(node)
    return list(reversed(result))


def main(argv):
    if len(argv) < 2:
        print(__doc__.strip())
        return 2
    root = argv[1]
    graph = edges(root, modules(root))
    if '--edges' in argv:
        for module in sorted(graph):
            for other in sorted(graph[module]):
                print(f'{module} -> {other}')
    found = cycles(graph)
    for component in found:
        inner = ', '.join(f'{a} -> {b}' for a in component for b in sorted(graph[a]) if b in component)
        print(f'include cycle among {", ".join(component)}: {inner}')
    if not found and '--order' in argv:
        print('\n'.join(order(graph)))
    return 1 if found else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
