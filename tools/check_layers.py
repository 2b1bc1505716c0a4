#!/usr/bin/env python3
"""Checks the core's one dependency rule on the sources.

Every file of a core layer (the folders named by qel_layer() in cmake/Layers.cmake) may
include only C++ standard headers and headers of its own layer and of the layers it USES;
no core file asks which system it is built for. Files named by qel_app_parts() belong to the
app layer wherever they lie.

usage: check_layers.py [--root DIR]   (DIR holds cmake/Layers.cmake and src/; default: the
repository of this script). Prints one line per breach and exits 1 when there is one.
"""
import argparse
import os
import re
import sys

# The C++20 standard library, and the C headers in their C++ form.
STANDARD = set("""
algorithm any array atomic barrier bit bitset charconv chrono codecvt compare complex concepts
condition_variable coroutine deque exception execution expected filesystem format forward_list
fstream functional future initializer_list iomanip ios iosfwd iostream istream iterator latch
limits list locale map memory memory_resource mutex new numbers numeric optional ostream queue
random ranges ratio regex scoped_allocator semaphore set shared_mutex source_location span
sstream stack stdexcept stop_token streambuf string string_view syncstream system_error thread
tuple type_traits typeindex typeinfo unordered_map unordered_set utility valarray variant vector
version
cassert cctype cerrno cfenv cfloat cinttypes climits clocale cmath csetjmp csignal cstdarg
cstddef cstdint cstdio cstdlib cstring ctime cuchar cwchar cwctype
""".split())

PLATFORM_TESTS = re.compile(r"^\s*#\s*(if|ifdef|ifndef|elif)\b.*\b(_WIN32|_WIN64|__linux__|__unix__|__APPLE__|__MINGW32__|_MSC_VER)\b")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')


def read_layers(cmake_text):
    layers = {}
    for m in re.finditer(r"^qel_layer\((\w+)(?:\s+USES\s+([\w\s]+?))?\)", cmake_text, re.M):
        layers[m.group(1)] = set((m.group(2) or "").split())
    parts = set()
    for m in re.finditer(r"^qel_app_parts\(([^)]*)\)", cmake_text, re.M):
        parts.update(m.group(1).split())
    for name, uses in layers.items():
        unknown = uses - set(layers)
        if unknown:
            raise SystemExit(f"cmake/Layers.cmake: layer {name} uses unknown layers {sorted(unknown)}")
    return layers, parts


def check(root):
    with open(os.path.join(root, "cmake", "Layers.cmake"), encoding="utf-8") as f:
        layers, parts = read_layers(f.read())
    src = os.path.join(root, "src")
    breaches = []
    for layer in sorted(layers):
        folder = os.path.join(src, layer)
        if not os.path.isdir(folder):
            continue
        for dirpath, _, files in os.walk(folder):
            for name in sorted(files):
                if not re.search(r"\.(h|cpp|h\.in)$", name):
                    continue
                path = os.path.join(dirpath, name)
                rel = os.path.relpath(path, src).replace(os.sep, "/")
                owner = "app" if rel in parts else layer
                allowed = {owner} | layers[owner]
                with open(path, encoding="utf-8", errors="replace") as f:
                    for number, line in enumerate(f, 1):
                        where = f"src/{rel}:{number}"
                        if PLATFORM_TESTS.search(line):
                            breaches.append(f"{where}: asks which system it is built for ({line.strip()})")
                        m = INCLUDE.match(line)
                        if not m:
                            continue
                        kind, header = m.groups()
                        if kind == "<":
                            if header not in STANDARD:
                                breaches.append(f"{where}: <{header}> is not a C++ standard header")
                            continue
                        top = header.split("/", 1)[0] if "/" in header else None
                        if top is None:
                            breaches.append(f'{where}: "{header}" needs its folder ("{layer}/{header}")')
                        elif top not in layers:
                            breaches.append(f'{where}: "{header}" is outside the core')
                        elif top not in allowed:
                            breaches.append(f'{where}: layer {owner} may not use "{header}" '
                                            f"(it uses {', '.join(sorted(layers[owner])) or 'nothing'})")
    return breaches


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--root", default=os.path.dirname(here))
    args = parser.parse_args()
    breaches = check(args.root)
    for b in breaches:
        print(b)
    if breaches:
        print(f"layers: {len(breaches)} breach(es) of the dependency rule (see cmake/Layers.cmake)")
        return 1
    print("layers: the core keeps the dependency rule")
    return 0


if __name__ == "__main__":
    sys.exit(main())
