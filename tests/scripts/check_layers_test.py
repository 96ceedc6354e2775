#!/usr/bin/env python3
"""The layer check over small trees: a clean one passes, each fault is named."""
import pathlib
import subprocess
import sys
import tempfile
import textwrap

SCRIPT = pathlib.Path(__file__).resolve().parents[2] / "scripts" / "check-layers.py"

CMAKE = "set(ZRX_FOLDERS\n  platform/base\n  low\n  low/room\n  high\n)\n"
README = textwrap.dedent("""\
    # Tree

    ## Layers

    1. `platform/base` - the platform
    2. `low` - below
    3. `low/room` - a room of low, above it
    4. `high` - the top

    ## Other
    """)
CLEAN = {
    "CMakeLists.txt": CMAKE,
    "README.md": README,
    "platform/base/B.h": "#include <openssl/evp.h>\n#include <QWidget>\n",
    "low/L.h": '#include "platform/base/B.h"\n#include <string>\n',
    "low/room/R.cpp": '#include "low/L.h"\n#include "low/room/R.h"\n',
    "high/H.cpp": '#include "low/room/R.h"\n#include "high/H.h"\n',
    "tests/low/L_test.cpp": '#include "high/H.h"\n#include <QImage>\n#include <curl/curl.h>\n',
    "bench/b.cpp": "#include <libxml/HTMLparser.h>\n",
}


def run(files):
    with tempfile.TemporaryDirectory() as root:
        for name, text in files.items():
            path = pathlib.Path(root) / name
            path.parent.mkdir(parents=True, exist_ok=True)
            path.write_text(text, encoding="utf-8")
        done = subprocess.run([sys.executable, str(SCRIPT), root], capture_output=True, text=True)
        return done.returncode, done.stdout


def main():
    failures = []

    def expect(name, files, code, *needles):
        got, out = run(files)
        if got != code or any(n not in out for n in needles):
            failures.append(f"{name}: exit {got}, output:\n{out}")

    expect("clean tree", CLEAN, 0)
    for name, path, text, needle in [
        ("low includes high", "low/X.cpp", '#include "high/H.h"\n', "low/X.cpp:1: low/ includes high/H.h of high/"),
        ("base includes low", "platform/base/Y.h", '#include "low/L.h"\n', "platform/base/ includes low/L.h"),
        ("folder includes its own room", "low/Z.cpp", '#include "low/room/R.h"\n', "low/ includes low/room/R.h"),
        ("Qt outside platform", "high/Q.cpp", "#include <QString>\n", "high/Q.cpp:1: Qt header <QString>"),
        ("Qt module path", "low/M.cpp", "#include <QtCore/QObject>\n", "Qt header <QtCore/QObject>"),
        ("OpenSSL outside platform", "low/S.cpp", "#include <openssl/x509.h>\n", "OpenSSL header"),
        ("libcurl outside platform", "high/C.cpp", "#include <curl/curl.h>\n", "libcurl header"),
        ("libxml2 outside platform", "high/X.h", "#include <libxml/tree.h>\n", "libxml2 header"),
        ("xmlsec1 outside platform", "high/S.h", "#include <xmlsec/xmldsig.h>\n", "xmlsec1 header"),
    ]:
        expect(name, {**CLEAN, path: text}, 1, needle)
    reordered = README.replace("2. `low`", "2. `high`").replace("4. `high`", "4. `low`")
    expect("README order differs", {**CLEAN, "README.md": reordered}, 1, "layer list differs")
    expect("README without layers", {**CLEAN, "README.md": "# Tree\n"}, 1, "no numbered list of layers")

    for failure in failures:
        print(failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
