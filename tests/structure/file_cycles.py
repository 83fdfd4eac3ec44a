#!/usr/bin/env python3
"""Checks that no circle of files spans more than one folder of src/.

A file stands on another when it uses a function or variable the other
defines. The uses are read from the compiled objects (nm): a symbol a file
leaves undefined is looked up among the symbols the others define outright
(inline functions and templates, defined weakly in every file that uses
them, belong to their header and tie no files together). A routine a lower
layer reaches through its table of hand-overs is used by the file that fills
the table (system/handovers.cpp), not by its caller. The strongly
connected parts of that graph are the circles; one that holds files of two
folders fails the check, and each such circle is printed with the calls
that cross between its folders.

    file_cycles.py [--list] OBJECT_OR_DIR...

OBJECT_OR_DIR: the object files of the interpreter's sources (ctest passes
them all, as one ';'-separated list), or folders searched for them
(build/CMakeFiles/zemcore.dir, where a file removed from src/ may have left
its old object). --list also prints the circles inside one folder.
"""
import os
import subprocess
import sys

DEFINED = set('TDBRG')  # strong text, data, bss, read-only, small data
UNDEFINED = 'U'


def object_files(args):
    # CMake hands a target's objects over as one ';'-separated list.
    for arg in (a for given in args for a in given.split(';')):
        if os.path.isdir(arg):
            for root, _, names in os.walk(arg):
                for name in sorted(names):
                    if name.endswith('.o'):
                        yield os.path.join(root, name)
        elif arg:
            yield arg


def source_name(path):
    """'.../src/system/quadfns.cpp.o' -> 'system/quadfns.cpp'."""
    parts = path.replace(os.sep, '/').split('/')
    if 'src' in parts:
        i = len(parts) - 1 - parts[::-1].index('src')
        parts = parts[i + 1:]
    else:
        parts = parts[-2:]
    name = '/'.join(parts)
    return name[:-2] if name.endswith('.o') else name


def read_symbols(paths):
    """Returns ({file: set of used symbols}, {symbol: defining file})."""
    uses = {}
    defines = {}
    out = subprocess.run(['nm', '-P', '-A'] + paths, check=True,
                         capture_output=True, text=True).stdout
    for line in out.splitlines():
        path, sep, rest = line.partition(': ')
        fields = rest.split()
        if not sep or len(fields) < 2:
            continue
        name, kind = fields[0], fields[1]
        src = source_name(path)
        uses.setdefault(src, set())
        if kind == UNDEFINED:
            uses[src].add(name)
        elif kind in DEFINED:
            defines[name] = src
    return uses, defines


def call_graph(uses, defines):
    """{file: {file it stands on: [symbols]}}."""
    graph = {}
    for src, names in uses.items():
        edges = graph.setdefault(src, {})
        for name in sorted(names):
            dst = defines.get(name)
            if dst is not None and dst != src:
                edges.setdefault(dst, []).append(name)
    return graph


def circles(graph):
    """Strongly connected components of more than one file (Tarjan's,
    without recursion)."""
    index, low, on_stack = {}, {}, set()
    stack, found, counter = [], [], 0
    for start in sorted(graph):
        if start in index:
            continue
        work = [(start, iter(sorted(graph[start])))]
        index[start] = low[start] = counter
        counter += 1
        stack.append(start)
        on_stack.add(start)
        while work:
            node, it = work[-1]
            nxt = next(it, None)
            if nxt is not None:
                if nxt not in index:
                    index[nxt] = low[nxt] = counter
                    counter += 1
                    stack.append(nxt)
                    on_stack.add(nxt)
                    work.append((nxt, iter(sorted(graph.get(nxt, {})))))
                elif nxt in on_stack:
                    low[node] = min(low[node], index[nxt])
                continue
            work.pop()
            if work:
                parent = work[-1][0]
                low[parent] = min(low[parent], low[node])
            if low[node] == index[node]:
                part = []
                while True:
                    top = stack.pop()
                    on_stack.discard(top)
                    part.append(top)
                    if top == node:
                        break
                if len(part) > 1:
                    found.append(sorted(part))
    return sorted(found)


def folder(src):
    return src.split('/')[0]


def demangle(names):
    out = subprocess.run(['c++filt'], input='\n'.join(names), check=True,
                         capture_output=True, text=True).stdout
    return out.splitlines()


def report_crossing(part, graph):
    members = set(part)
    print(f'circle over {len(part)} files in '
          f'{", ".join(sorted({folder(f) for f in part}))}:')
    for src in part:
        for dst, names in sorted(graph[src].items()):
            if dst in members and folder(dst) != folder(src):
                shown = ', '.join(n.split('(')[0] for n in demangle(names))
                print(f'  {src} -> {dst}: {shown}')


def main(argv):
    listing = '--list' in argv
    paths = list(object_files(a for a in argv if a != '--list'))
    if not paths:
        print('file_cycles.py: no object files given', file=sys.stderr)
        return 2
    graph = call_graph(*read_symbols(paths))
    wide = 0
    for part in circles(graph):
        if len({folder(f) for f in part}) > 1:
            wide += 1
            report_crossing(part, graph)
        elif listing:
            print(f'{folder(part[0])}: {" ".join(part)}')
    if wide:
        print(f'{wide} circle(s) of files span more than one folder')
        return 1
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
