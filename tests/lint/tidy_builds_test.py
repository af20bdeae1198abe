#!/usr/bin/env python3
"""clang-tidy over the three compile databases: each source is checked once,
with the first build that compiles it, and a cross build's command reaches
clang with its target and without what only its own compiler knows.

Catches a later database overriding the desktop's command, a platform's own
file dropped because the desktop lacks it, a response file passed on unread
(clang would not find the project's headers) or left out of the cache key
(a changed include path would keep a stale result), em++'s back-end options
handed to clang, a static member of a header reported as a race on the
browser's one thread, and MinGW's C++ headers replaced by the host's.
"""
import importlib.util
import json
import pathlib
import stat
import sys
import tempfile

HERE = pathlib.Path(__file__).resolve()
spec = importlib.util.spec_from_file_location("run_clang_tidy",
                                              HERE.parents[2] / "tools/lint/run_clang_tidy.py")
tidy = importlib.util.module_from_spec(spec)
spec.loader.exec_module(tidy)


def script(path: pathlib.Path, text: str) -> str:
    path.write_text("#!/bin/sh\n" + text)
    path.chmod(path.stat().st_mode | stat.S_IXUSR)
    return str(path)


def database(build: pathlib.Path, entries: list[tuple[str, str]]) -> None:
    build.mkdir(parents=True, exist_ok=True)
    (build / "compile_commands.json").write_text(json.dumps(
        [{"directory": str(build), "file": source, "command": command} for source, command in entries]))


def main() -> int:
    failures = []

    def expect(what, found, expected):
        if found != expected:
            failures.append(f"{what}: {found!r}, expected {expected!r}")

    with tempfile.TemporaryDirectory() as folder:
        root = pathlib.Path(folder)
        tidy.ROOT = root
        tools = root / "tools"
        tools.mkdir()
        emxx = script(tools / "em++", "echo '-target wasm32-unknown-emscripten -mllvm -disable-lsr -fno-threadsafe-statics -DEMSCRIPTEN'\n")
        mingw = script(tools / "x86_64-w64-mingw32-g++-posix", """cat >&2 <<'LIST'
#include <...> search starts here:
 /gcc/12-posix/include/c++
 /gcc/12-posix/include
 /gcc/12-posix/../../../../x86_64-w64-mingw32/include
End of search list.
LIST
""")
        clang = script(tools / "clang++", "echo /clang/14\n")
        tidy.clang = lambda source: clang

        linux, windows, web = root / "build", root / "build-win", root / "build-web"
        database(linux, [(f"{root}/engine/A.cpp", "/usr/bin/c++ -I/r -o a.o -c engine/A.cpp")])
        database(windows, [(f"{root}/engine/A.cpp", f"{mingw} -DW -o a.obj -c {root}/engine/A.cpp"),
                           (f"{root}/engine/AWin32.cpp", f"{mingw} -DW -o b.obj -c {root}/engine/AWin32.cpp")])
        (web / "rsp").mkdir(parents=True)
        (web / "rsp/includes.rsp").write_text(f'-I"{root}" -isystem /deps\n')
        database(web, [(f"{root}/engine/AWeb.cpp", f"{emxx} @rsp/includes.rsp -O3 -o c.o -c {root}/engine/AWeb.cpp")])

        commands = tidy.checked_sources([linux, windows, web])
        expect("sources", list(commands), ["engine/A.cpp", "engine/AWeb.cpp", "engine/AWin32.cpp"])
        expect("a source of several builds is the first's", commands["engine/A.cpp"].build, linux)
        expect("the desktop's own command", commands["engine/A.cpp"].cross, None)
        expect("the browser's command for clang", commands["engine/AWeb.cpp"].clang_arguments("engine/AWeb.cpp"),
               ["-target", "wasm32-unknown-emscripten", "-fno-threadsafe-statics", "-DEMSCRIPTEN", f"-I{root}", "-isystem",
                "/deps", "-O3"])
        expect("MinGW's command for clang", commands["engine/AWin32.cpp"].clang_arguments("engine/AWin32.cpp"),
               ["--target=x86_64-w64-mingw32", "-nostdinc", "-isystem", "/gcc/12-posix/include/c++",
                "-isystem", "/clang/14/include", "-isystem", "/x86_64-w64-mingw32/include", "-DW"])
        expect("the browser's tidy command", tidy.tidy_command("tidy", "engine/AWeb.cpp", commands["engine/AWeb.cpp"])[:5],
               ["tidy", "--quiet", "--checks=-bugprone-dynamic-static-initializers", f"{root}/engine/AWeb.cpp", "--"])
        expect("MinGW's tidy command", tidy.tidy_command("tidy", "engine/AWin32.cpp", commands["engine/AWin32.cpp"])[:4],
               ["tidy", "--quiet", f"{root}/engine/AWin32.cpp", "--"])

        native_text = "/usr/bin/c++ -I/r -o a.o -c engine/A.cpp"
        expect("the desktop's cache key, as before", commands["engine/A.cpp"].key, native_text)
        before = commands["engine/AWeb.cpp"].key
        (web / "rsp/includes.rsp").write_text(f'-I"{root}" -isystem /other\n')
        after = tidy.checked_sources([web])["engine/AWeb.cpp"].key
        if after == before:
            failures.append("a changed response file kept the cache key")

    for failure in failures:
        print(failure, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
