#!/usr/bin/env python3
"""Checks that the code keeps its layers.

The layer order is the folder list ZRX_FOLDERS of the top CMakeLists.txt,
lowest layer first; the README's list of layers must name the same folders in
the same order. A source of a folder may include headers of its own folder and
of folders below it, never of a folder above it. The headers of OpenSSL,
libcurl, libxml2, xmlsec1 and Qt are included only under platform/.

Usage: scripts/check-layers.py [repository root]
Prints one line per fault and exits with 1 when there is any.
"""
import pathlib
import re
import sys

# Sources outside the layers that may include the platform's libraries.
THIRD_PARTY_EXCEPTIONS = {
    # Tests compare results against those libraries and drive the real
    # widgets; they link what they test and are not part of the program.
    "tests/": "tests check against the libraries themselves",
    # Benchmarks time the program's code beside the well-known library that
    # does the same job.
    "bench/": "benchmarks run the reference library in the same run",
}

SOURCE_SUFFIXES = {".h", ".hpp", ".cpp", ".cc", ".c", ".inc"}
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
THIRD_PARTY = [
    (re.compile(r"^openssl/"), "OpenSSL"),
    (re.compile(r"^curl/"), "libcurl"),
    (re.compile(r"^libxml/"), "libxml2"),
    (re.compile(r"^xmlsec/"), "xmlsec1"),
    (re.compile(r"^Qt[A-Za-z]*(/|$)"), "Qt"),
    (re.compile(r"^Q[A-Z][A-Za-z0-9]*(\.h)?$"), "Qt"),
]


def layer_order(root):
    text = (root / "CMakeLists.txt").read_text(encoding="utf-8")
    m = re.search(r"set\(ZRX_FOLDERS\s+(.*?)\)", text, re.S)
    if not m:
        raise SystemExit("CMakeLists.txt: no ZRX_FOLDERS list")
    return [line.split("#")[0].strip() for line in m.group(1).splitlines() if line.split("#")[0].strip()]


def readme_layers(root):
    """The folders of the README's numbered list under "## Layers"."""
    readme = root / "README.md"
    if not readme.exists():
        return None
    text = readme.read_text(encoding="utf-8")
    m = re.search(r"^## Layers\s*$(.*?)(?=^## |\Z)", text, re.S | re.M)
    if not m:
        return None
    return [f.rstrip("/") for f in re.findall(r"^\d+\.\s+`([^`]+)`", m.group(1), re.M)]


def layer_of(path, layers):
    """The deepest layer folder holding path, or None."""
    best = None
    for index, folder in enumerate(layers):
        if path == folder or path.startswith(folder + "/"):
            if best is None or len(folder) > len(layers[best]):
                best = index
    return best


def tracked_sources(root):
    skip = {"build", ".git"}
    for path in sorted(root.rglob("*")):
        rel = path.relative_to(root)
        if rel.parts and (rel.parts[0] in skip or rel.parts[0].startswith("build")):
            continue
        if path.is_file() and path.suffix in SOURCE_SUFFIXES:
            yield rel.as_posix(), path


def check(root):
    faults = []
    layers = layer_order(root)
    listed = readme_layers(root)
    if listed is None:
        faults.append("README.md: no numbered list of layers under \"## Layers\"")
    elif listed != layers:
        faults.append("README.md: the layer list differs from ZRX_FOLDERS in CMakeLists.txt "
                      f"(README: {', '.join(listed)}; CMakeLists.txt: {', '.join(layers)})")
    for rel, path in tracked_sources(root):
        own = layer_of(rel, layers)
        exception = next((p for p in THIRD_PARTY_EXCEPTIONS if rel.startswith(p)), None)
        for number, line in enumerate(path.read_text(encoding="utf-8", errors="replace").splitlines(), 1):
            m = INCLUDE.match(line)
            if not m:
                continue
            header = m.group(2)
            if not rel.startswith("platform/") and exception is None:
                for pattern, library in THIRD_PARTY:
                    if pattern.search(header):
                        faults.append(f"{rel}:{number}: {library} header <{header}> outside platform/")
                        break
            if own is None or m.group(1) != '"':
                continue
            target = layer_of(header, layers)
            if target is not None and target > own:
                faults.append(f"{rel}:{number}: {layers[own]}/ includes {header} of {layers[target]}/, "
                              "a layer above it")
    return faults


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).resolve().parent.parent)
    faults = check(root.resolve())
    for fault in faults:
        print(fault)
    if faults:
        print(f"check-layers: {len(faults)} fault(s)", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
