"""What the built executable carries: the loader and the program, nothing of
the runtime or of a third-party library.

- Its dynamic section needs no libcurl, Qt, libjpeg/TurboJPEG, libpng,
  giflib, libtiff, PCRE2 or cpp-httplib.
- It defines no symbol of the runtime (namespace korvex, the runtime
  library's export) and no code of the platform layers the runtime resolves
  for the program (transfer, wininet, gdiplus, ole32, com, kernel32's memory
  and code-page calls). The loader's own platform calls (module loading,
  registry, failure message) are allowed. Inline helpers and constants that
  the layers' headers define (weak symbols) are declarations, not code.

usage: check_executable.py EXECUTABLE
"""

import re
import subprocess
import sys

FORBIDDEN_LIBRARIES = re.compile(
    r"libcurl|libQt|libjpeg|libturbojpeg|libpng|libgif|libtiff|libpcre2|httplib")

RUNTIME_NAMESPACES = ("korvex::", "transfer::", "wininet::", "gdiplus::", "ole32::", "com::")

# kernel32 is shared: the loader's module calls (platform/module) live there
# too, so only its memory and code-page layer is named.
KERNEL32_LAYER = re.compile(
    r"^kernel32::(\(anonymous namespace\)::)?(Global|RtlMoveMemory|lstrcpyn|MultiByteToWideChar|"
    r"Allocate|CharsetOf|ConvertAll|IconvHandle|IconvCloser|Block)")

STRONG = set("TtDdBbRr")


def needed(exe):
    out = subprocess.run(["readelf", "-d", exe], capture_output=True, text=True,
                         check=True).stdout
    return re.findall(r"\(NEEDED\)\s+Shared library: \[([^\]]+)\]", out)


def defined(exe):
    out = subprocess.run(["nm", "-C", "--defined-only", exe], capture_output=True, text=True,
                         check=True).stdout
    for line in out.splitlines():
        parts = line.split(" ", 2)
        if len(parts) == 3:
            yield parts[1], parts[2]


def main():
    exe = sys.argv[1]
    problems = [f"needs {lib}" for lib in needed(exe) if FORBIDDEN_LIBRARIES.search(lib)]
    for kind, name in defined(exe):
        if name == "GetNewSock":
            problems.append(f"defines the runtime's export {name}")
        if kind not in STRONG:
            continue
        # A symbol of the program may mention the layers' types in its
        # signature; what counts is the namespace the symbol itself is in.
        bare = re.sub(r"^(\w[\w:<>, *&]*\s)?(?=[\w:]+\()", "", name)
        if bare.startswith(RUNTIME_NAMESPACES) or KERNEL32_LAYER.match(bare):
            problems.append(f"defines {kind} {name}")
    for p in problems:
        print(p)
    if problems:
        print(f"{exe}: {len(problems)} thing(s) of the runtime or its libraries built in")
        return 1
    print(f"{exe}: the loader and the program only")
    return 0


if __name__ == "__main__":
    sys.exit(main())
