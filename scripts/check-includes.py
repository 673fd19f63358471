#!/usr/bin/env python3
"""Keeps the doors between folders one-way.

Reads every #include "..." of the repository's C++ files and fails, naming the files, when
- a folder includes a folder that includes it back, directly or through a cycle of folders;
- a room of the player core (swf/) includes a room above it: base < image < format < player <
  render, avm1 (render and avm1 never include each other), or swf/ holds a room not in that order.

check-includes.py [--root DIR]   checks the tree at DIR (default: this script's repository)
check-includes.py --self-test    checks the checker on small trees of its own
"""
import os
import re
import subprocess
import sys
import tempfile

SOURCE_ENDINGS = ('.h', '.hpp', '.c', '.cc', '.cpp', '.inc')
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')
# The player core's rooms, lowest first; a room includes only rooms of a lower rank.
ROOMS = {'base': 0, 'image': 1, 'format': 2, 'player': 3, 'render': 4, 'avm1': 4}
ROOM_ORDER = 'base < image < format < player < render, avm1'


def source_files(root):
    """The C++ files of the tree, relative to it: git's files (tracked, or untracked and not
    ignored) in a checkout, else every file below it outside hidden and build folders."""
    try:
        out = subprocess.run(['git', '-C', root, 'ls-files', '--cached', '--others', '--exclude-standard'],
                             capture_output=True, text=True, check=True).stdout
        names = [n for n in out.splitlines() if os.path.isfile(os.path.join(root, n))]
    except (OSError, subprocess.CalledProcessError):
        names = []
        for folder, dirs, files in os.walk(root):
            dirs[:] = sorted(d for d in dirs if not d.startswith('.') and not d.startswith('build'))
            names += [os.path.relpath(os.path.join(folder, f), root) for f in files]
    return sorted(n.replace(os.sep, '/') for n in names if n.endswith(SOURCE_ENDINGS))


def includes(root, name):
    """(line number, included file relative to the root) of each include that names a file of
    the tree, looked up beside the including file first, then from the root."""
    found = []
    with open(os.path.join(root, name), encoding='utf-8', errors='replace') as f:
        for number, line in enumerate(f, 1):
            m = INCLUDE.match(line)
            if not m:
                continue
            for base in (os.path.dirname(name), ''):
                target = os.path.normpath(os.path.join(base, m.group(1))).replace(os.sep, '/')
                if not target.startswith('../') and os.path.isfile(os.path.join(root, target)):
                    found.append((number, target))
                    break
    return found


def folder(name):
    return os.path.dirname(name) or '.'


def room(name):
    """The swf room a file is in ('' for a file outside swf/, None for one in swf/ itself)."""
    parts = name.split('/')
    if parts[0] != 'swf':
        return ''
    return parts[1] if len(parts) > 2 else None


def room_faults(names, edges):
    faults = [f'{name}: swf/{room(name)} is not a room of the player core ({ROOM_ORDER})' for name in names
              if room(name) and room(name) not in ROOMS]
    for source, number, target in edges:
        mine, theirs = room(source), room(target)
        if mine in ROOMS and theirs and theirs != mine and ROOMS.get(theirs, 99) >= ROOMS[mine]:
            faults.append(f'{source}:{number}: the {mine} room includes {target}, from the {theirs} room, which '
                          f'is not below it ({ROOM_ORDER})')
    return faults


def cycles(graph):
    """The folders that reach each other, as sorted groups (strongly connected components of
    more than one folder), by Tarjan's algorithm."""
    index, low, stack, on_stack, groups = {}, {}, [], set(), []

    def visit(v):
        # An explicit stack of (folder, its successors still to visit): deep trees do not
        # exhaust Python's recursion.
        work = [(v, iter(sorted(graph.get(v, ()))))]
        index[v] = low[v] = len(index)
        stack.append(v)
        on_stack.add(v)
        while work:
            node, successors = work[-1]
            advanced = False
            for w in successors:
                if w not in index:
                    index[w] = low[w] = len(index)
                    stack.append(w)
                    on_stack.add(w)
                    work.append((w, iter(sorted(graph.get(w, ())))))
                    advanced = True
                    break
                if w in on_stack:
                    low[node] = min(low[node], index[w])
            if advanced:
                continue
            work.pop()
            if work:
                low[work[-1][0]] = min(low[work[-1][0]], low[node])
            if low[node] == index[node]:
                group = []
                while True:
                    w = stack.pop()
                    on_stack.discard(w)
                    group.append(w)
                    if w == node:
                        break
                if len(group) > 1:
                    groups.append(sorted(group))

    for v in sorted(graph):
        if v not in index:
            visit(v)
    return sorted(groups)


def cycle_faults(edges):
    graph, lines = {}, {}
    for source, number, target in edges:
        a, b = folder(source), folder(target)
        if a != b:
            graph.setdefault(a, set()).add(b)
            lines.setdefault((a, b), []).append(f'{source}:{number} includes {target}')
    faults = []
    for group in cycles(graph):
        faults.append('folders that include each other: ' + ', '.join(group))
        members = set(group)
        for a in group:
            for b in sorted(graph[a] & members):
                shown = lines[(a, b)][:3]
                faults += ['  ' + line for line in shown]
                if len(lines[(a, b)]) > len(shown):
                    faults.append(f'  ... and {len(lines[(a, b)]) - len(shown)} more of {a} including {b}')
    return faults


def check(root):
    """Every fault of the tree at `root` as a line of text, and how many files were read."""
    names = source_files(root)
    edges = [(name, number, target) for name in names for number, target in includes(root, name)]
    return room_faults(names, edges) + cycle_faults(edges), len(names)


def self_test():
    """Small trees with known faults; each must give exactly these lines."""
    cases = [
        ('rooms in order and folders one-way',
         {'swf/base/A.h': [], 'swf/format/B.h': ['swf/base/A.h'], 'swf/player/C.cpp': ['swf/format/B.h'],
          'swf/avm1/D.cpp': ['swf/player/C.h'], 'swf/player/C.h': [], 'tools/x.cpp': ['swf/avm1/D.cpp']},
         []),
        ('a room includes a room above it',
         {'swf/player/P.cpp': ['swf/avm1/V.h'], 'swf/avm1/V.h': []},
         ['swf/player/P.cpp:1: the player room includes swf/avm1/V.h, from the avm1 room, which is not below it '
          f'({ROOM_ORDER})']),
        ('render and avm1 stand side by side',
         {'swf/render/R.cpp': ['swf/avm1/V.h'], 'swf/avm1/V.h': []},
         ['swf/render/R.cpp:1: the render room includes swf/avm1/V.h, from the avm1 room, which is not below it '
          f'({ROOM_ORDER})']),
        ('a room the order does not know',
         {'swf/sound/S.cpp': ['swf/base/A.h'], 'swf/base/A.h': []},
         [f'swf/sound/S.cpp: swf/sound is not a room of the player core ({ROOM_ORDER})']),
        ('two folders include each other',
         {'app/A.cpp': ['mainwnd/M.h'], 'mainwnd/M.h': ['app/A.h'], 'app/A.h': []},
         ['folders that include each other: app, mainwnd', '  app/A.cpp:1 includes mainwnd/M.h',
          '  mainwnd/M.h:1 includes app/A.h']),
        ('a cycle through three folders, an include beside the file',
         {'a/X.cpp': ['Y.h'], 'a/Y.h': ['b/Z.h'], 'b/Z.h': ['c/W.h'], 'c/W.h': ['a/Y.h'], 'd/V.h': ['c/W.h']},
         ['folders that include each other: a, b, c', '  a/Y.h:1 includes b/Z.h', '  b/Z.h:1 includes c/W.h',
          '  c/W.h:1 includes a/Y.h']),
        ('includes of files outside the tree are left alone',
         {'a/X.cpp': ['<vector>', 'zlib.h', '../../outside.h']},
         []),
    ]
    failed = 0
    for what, files, want in cases:
        with tempfile.TemporaryDirectory() as root:
            for name, targets in files.items():
                os.makedirs(os.path.join(root, os.path.dirname(name)), exist_ok=True)
                with open(os.path.join(root, name), 'w') as f:
                    f.writelines(f'#include "{t}"\n' if not t.startswith('<') else f'#include {t}\n' for t in targets)
            got, count = check(root)
        if got != want or count != len(files):
            failed += 1
            print(f'FAIL {what}:\n  want {want}\n  got  {got} ({count} files)')
    print(f'{len(cases) - failed} of {len(cases)} cases as expected')
    return 1 if failed else 0


def main(argv):
    if argv[1:] == ['--self-test']:
        return self_test()
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..')
    if len(argv) == 3 and argv[1] == '--root':
        root = argv[2]
    elif len(argv) != 1:
        print(__doc__.strip())
        return 2
    faults, count = check(os.path.normpath(root))
    for line in faults:
        print(line)
    if faults:
        print(f'FAILED: the includes of {count} files open a door both ways (see above)')
        return 1
    print(f'{count} files: every folder includes only folders that do not include it back')
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
