#!/usr/bin/env python3
"""A cached clang-tidy result must not outlive a change that could alter it:
the key follows every repository header a source includes, directly or
through another header, by its path from the root or beside the includer.

Catches a key that stops at the direct includes (a finding in a header two
levels down would stay hidden behind the old clean result), one that misses
includes relative to the including file, and one that ignores the compile
command or the settings.
"""
import importlib.util
import pathlib
import sys
import tempfile

HERE = pathlib.Path(__file__).resolve()
spec = importlib.util.spec_from_file_location("run_clang_tidy",
                                              HERE.parents[2] / "tools/lint/run_clang_tidy.py")
tidy = importlib.util.module_from_spec(spec)
spec.loader.exec_module(tidy)


def main() -> int:
    failures = []
    with tempfile.TemporaryDirectory() as folder:
        root = pathlib.Path(folder)
        tidy.ROOT = root
        files = {
            "app/Main.cpp": '#include "engine/Node.h"\n#include <vector>\n#include "missing/Gone.h"\n',
            "engine/Node.h": '#pragma once\n#include "Ref.h"\n',  # beside the includer
            "engine/Ref.h": '#pragma once\n#include "engine/base/Macros.h"\n',
            "engine/base/Macros.h": "#define X 1\n",
            "engine/Unrelated.h": "#pragma once\n",
        }
        for name, text in files.items():
            (root / name).parent.mkdir(parents=True, exist_ok=True)
            (root / name).write_text(text)

        found = tidy.repository_headers("app/Main.cpp", {})
        expected = ["engine/Node.h", "engine/Ref.h", "engine/base/Macros.h"]
        if found != expected:
            failures.append(f"headers of app/Main.cpp: {found}, expected {expected}")

        def key(version="14", settings="Checks: x", command="c++ -c"):
            return tidy.cache_key(version, settings, command, "app/Main.cpp", {})

        before = key()
        if key() != before:
            failures.append("the same inputs gave another key")
        for what, changed in (("settings", key(settings="Checks: y")), ("command", key(command="c++ -O2 -c")),
                              ("version", key(version="15"))):
            if changed == before:
                failures.append(f"a change of the {what} kept the key")
        (root / "engine/Unrelated.h").write_text("#pragma once\nint x;\n")
        if key() != before:
            failures.append("a header the source does not include changed the key")
        (root / "engine/base/Macros.h").write_text("#define X 2\n")
        if key() == before:
            failures.append("a header two levels down changed and the key stayed")

    for failure in failures:
        print(failure, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
