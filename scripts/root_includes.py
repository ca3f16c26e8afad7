#!/usr/bin/env python3
"""Spells every quoted include of a header of the tree from the repository root.

    scripts/root_includes.py [--check] [FILE...]

Rewrites the given .h/.cpp files in place (without FILE: every .h/.cpp of the tree outside build
folders). An include such as "PlusGrid.h", "../tests/GridEditorsFixture.h" or "grid/PlusGrid.h"
that names a header of the tree becomes "components/grid/PlusGrid.h". Running it twice changes
nothing the second time.

A name is looked up the way the compiler found it: beside the including file first, then among the
headers of the including file's library folder, then among those of the libraries it links (the
DEPS of quelm_add_library in the CMakeLists.txt files). Where a name still matches more than one
header, the include is left as it is and reported; the exit status is then 1. Includes of headers
outside the tree (Qt, gtest, system headers) are left alone.

With --check nothing is written: the files that would change are listed, exit status 1 if any.
"""
import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SOURCE_EXTENSIONS = (".h", ".cpp")
INCLUDE = re.compile(r'^(\s*#\s*include\s*")([^"]+)(".*)$')


def is_build_folder(path):
    name = os.path.basename(path)
    return name.startswith(".") or name.startswith("build") or os.path.exists(os.path.join(path, "CMakeCache.txt"))


def tree_files():
    found = []
    for folder, subfolders, files in os.walk(ROOT):
        subfolders[:] = sorted(s for s in subfolders if not is_build_folder(os.path.join(folder, s)))
        for name in sorted(files):
            found.append(os.path.relpath(os.path.join(folder, name), ROOT).replace(os.sep, "/"))
    return found


def strip_comments(text):
    return re.sub(r"#[^\n]*", "", text)


def library_folders(files):
    """Maps each folder holding a library to the folders of the libraries it links (transitively)."""
    folder_of = {}  # library target -> folder
    direct = {}  # folder -> linked target names
    for path in files:
        if os.path.basename(path) != "CMakeLists.txt":
            continue
        folder = os.path.dirname(path)
        with open(os.path.join(ROOT, path), encoding="utf-8") as f:
            text = strip_comments(f.read())
        for call in re.finditer(r"quelm_add_library\s*\(([^)]*)\)", text):
            words = call.group(1).split()
            if not words:
                continue
            folder_of[words[0]] = folder
            deps = direct.setdefault(folder, set())
            taking = False
            for word in words[1:]:
                if word in ("DEPS", "SOURCES"):
                    taking = word == "DEPS"
                elif taking:
                    deps.add(word)
    closure = {}
    for folder in direct:
        seen, todo = set(), [folder]
        while todo:
            current = todo.pop()
            for target in direct.get(current, ()):
                dep = folder_of.get(target)
                if dep is not None and dep not in seen:
                    seen.add(dep)
                    todo.append(dep)
        seen.discard(folder)
        closure[folder] = seen
    return closure


def owning_folder(path, folders):
    best = ""
    for folder in folders:
        if (path.startswith(folder + "/")) and len(folder) > len(best):
            best = folder
    return best


class Resolver:
    def __init__(self, files):
        self.headers = {f for f in files if f.endswith(".h")}
        self.by_name = {}
        for header in self.headers:
            self.by_name.setdefault(os.path.basename(header), []).append(header)
        self.layers = library_folders(files)

    def resolve(self, including, name):
        """Returns (root path or None, error or None)."""
        beside = os.path.normpath(os.path.join(os.path.dirname(including), name)).replace(os.sep, "/")
        if beside in self.headers:
            return beside, None
        normal = os.path.normpath(name).replace(os.sep, "/")
        if normal in self.headers:
            return normal, None
        tail = normal.lstrip("./")
        candidates = [h for h in self.by_name.get(os.path.basename(tail), []) if h == tail or h.endswith("/" + tail)]
        if not candidates:
            return None, None
        if len(candidates) == 1:
            return candidates[0], None
        own = owning_folder(including, self.layers)
        for tier in ([own] if own else [], sorted(self.layers.get(own, ()))):
            inside = [c for c in candidates if any(c.startswith(folder + "/") for folder in tier)]
            if len(inside) == 1:
                return inside[0], None
            if len(inside) > 1:
                break
        return None, "ambiguous: " + ", ".join(sorted(candidates))

    def rewrite(self, path, problems):
        full = os.path.join(ROOT, path)
        with open(full, encoding="utf-8") as f:
            lines = f.read().split("\n")
        changed = False
        for i, line in enumerate(lines):
            match = INCLUDE.match(line)
            if not match:
                continue
            target, error = self.resolve(path, match.group(2))
            if error:
                problems.append(f"{path}:{i + 1}: \"{match.group(2)}\" {error}")
            elif target and target != match.group(2):
                lines[i] = match.group(1) + target + match.group(3)
                changed = True
        return changed, "\n".join(lines)


def main(argv):
    check = "--check" in argv
    arguments = [a for a in argv if a != "--check"]
    files = tree_files()
    resolver = Resolver(files)
    if arguments:
        targets = [os.path.relpath(os.path.abspath(a), ROOT).replace(os.sep, "/") for a in arguments]
    else:
        targets = [f for f in files if f.endswith(SOURCE_EXTENSIONS)]
    problems, rewritten = [], []
    for path in targets:
        if not path.endswith(SOURCE_EXTENSIONS) or path.startswith("../"):
            continue
        changed, text = resolver.rewrite(path, problems)
        if changed:
            rewritten.append(path)
            if not check:
                with open(os.path.join(ROOT, path), "w", encoding="utf-8") as f:
                    f.write(text)
    for path in rewritten:
        print(("would rewrite " if check else "rewrote ") + path)
    for problem in problems:
        print(problem, file=sys.stderr)
    return 1 if problems or (check and rewritten) else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
