"""The floors of the source tree, checked on every include.

From the bottom: base/ -> platform/ -> runtime/ -> program/ (its folders
floor by floor) -> loader/. A folder includes only from its own floor or below; the program's
folders reach runtime/ only through the service interface and the window
description's format, and include no third-party library's headers (they
reach the platform through the DLL command table, whose prototypes they
take from the platform layers' headers). The program's folders form no loop,
and no two modules (a header and its source) include each other.

usage: check_layers.py SOURCE_ROOT
"""

import os
import re
import sys

PROGRAM = ["program/routines", "program/text", "program/net", "program/imaging",
           "program/pages", "program/update", "program/exports"]

# What each folder may include: whole folders, or path prefixes.
ALLOWED = {
    "base": ["base"],
    "platform": ["base", "platform"],
    "runtime": ["base", "platform", "runtime"],
    # The program, floor by floor: each may include only those before it.
    "program/routines": ["base", "platform", "runtime/services/", "runtime/form/unit_types.h",
                         "program/routines"],
    "program/text": ["base", "platform", "runtime/services/", "program/routines", "program/text"],
    "program/net": ["base", "platform", "runtime/services/", "program/routines", "program/text",
                    "program/net"],
    "program/imaging": ["base", "platform", "runtime/services/", "program/routines",
                        "program/imaging"],
    "program/pages": ["base", "runtime/services/", "runtime/form/form.h",
                      "runtime/form/unit_types.h", "program/routines", "program/imaging",
                      "program/pages"],
    "program/update": ["base", "runtime/services/", "program/routines", "program/text",
                       "program/net", "program/imaging", "program/pages", "program/update"],
    "program/exports": ["base", "runtime/services/"] + PROGRAM,
    "loader": ["base", "platform/module/", "platform/registry/", "program/routines/site_base.h",
               "program/exports/embedded_image.h", "loader"],
    # Build tools run on the host; they may use the runtime's format writers,
    # the list of runtime libraries the image names and the names the
    # runtime's layers export (to check the DLL command table against).
    "tools": ["base", "runtime/form/", "runtime/services/program_image.h", "runtime/image/format.h",
              "runtime/dll/export_names.h",
              "runtime/image/image.h", "runtime/image/writer.h", "runtime/image/libraries.h",
              "program/routines", "program/pages/main_window_form.h", "tools"],
    "demo": ["base", "demo"],
}

# Headers of third-party libraries that only the runtime's floors may use.
THIRD_PARTY = re.compile(r"<(curl/|Q[A-Za-z]+|qt|png\.h|jpeglib\.h|turbojpeg\.h|gif_lib\.h|"
                         r"tiff|pcre2\.h|httplib\.h|iconv\.h)")

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def allowed(folder, target):
    for rule in ALLOWED[folder]:
        if rule.endswith("/") or rule.endswith(".h"):
            if target == rule or (rule.endswith("/") and target.startswith(rule)):
                return True
        elif target == rule or target.startswith(rule + "/"):
            return True
    return False


def module(path):
    """A file's module: its path without the extension (a.h and a.cpp are one;
    a_impl.h, the private header a's sources share, is part of a too)."""
    stem = os.path.splitext(path)[0]
    return stem[:-len("_impl")] if stem.endswith("_impl") else stem


def mutual_includes(edges):
    """Pairs of modules each of which includes a header of the other."""
    problems = []
    for (a, b), where in sorted(edges.items()):
        if a < b and (b, a) in edges:
            problems.append(f"{where}: {a} and {b} include each other "
                            f"(also {edges[(b, a)]})")
    return problems


def check(root):
    problems = []
    edges = {}  # (including module, included module) -> first place
    for folder in ALLOWED:
        top = os.path.join(root, folder)
        for dirpath, _, files in os.walk(top):
            for name in files:
                if not name.endswith((".h", ".cpp")):
                    continue
                path = os.path.join(dirpath, name)
                rel = os.path.relpath(path, root)
                with open(path, encoding="utf-8", errors="replace") as f:
                    for number, line in enumerate(f, 1):
                        m = INCLUDE.match(line)
                        if not m:
                            continue
                        kind, target = m.groups()
                        # The source root is on the include path, so <a/b.h>
                        # naming a file of the tree is one of ours too.
                        ours = kind == '"' or os.path.isfile(os.path.join(root, target))
                        if ours and module(target) != module(rel):
                            edges.setdefault((module(rel), module(target)), f"{rel}:{number}")
                        if ours and not allowed(folder, target):
                            problems.append(f"{rel}:{number}: {folder}/ may not include {target}")
                        if kind == "<" and folder in PROGRAM + ["loader"] and \
                                THIRD_PARTY.match("<" + target):
                            problems.append(f"{rel}:{number}: {folder}/ may not include <{target}>")
    return problems + mutual_includes(edges)


def main():
    problems = check(sys.argv[1])
    for p in problems:
        print(p)
    if problems:
        print(f"{len(problems)} include(s) against the floors")
        return 1
    print("every include keeps to the floors")
    return 0


if __name__ == "__main__":
    sys.exit(main())
