#!/usr/bin/env python3
"""The library recipes' keys name the cached library sets
(~/.cache/pavlune-cards/web-deps-<key>, win64-deps-<key>): a key that misses
a file that shapes the build reuses stale libraries; one that follows
unrelated edits rebuilds them for half an hour. Runs the real recipes on a
copy of the tree with apt-get and the compilers stood in for.

usage: library_recipe_test.py SOURCE_ROOT
"""
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

ROOT = sys.argv.pop(1) if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "..")
FILES = ["tools/libraries/recipe-steps.sh", "tools/libraries/driver-steps.sh", "proj.web/build-deps.sh",
         "proj.web/sdl2-emscripten-checks.cmake", "proj.win32/build-deps.sh", "cmake/mingw-w64-x86_64.cmake"]
# apt-get: the source versions come from a file the test can change; a
# download is recorded and fails, so no test builds anything.
APT_GET = """#!/bin/sh
if [ "$1 $2" = "source --print-uris" ]; then
  shift 3
  for p in "$@"; do echo "'http://deb.example/$p.dsc' ${p}_$(cat "$STUBS/version").dsc 1 SHA256:00"; done
  exit 0
fi
echo "$*" >> "$STUBS/fetched"
exit 3
"""
COMPILER = """#!/bin/sh
cat "$STUBS/$(basename "$0")-version"
"""
WINDOWS_COMPILER = "x86_64-w64-mingw32-g++-posix"


class RecipeTree:
    def __init__(self, work):
        self.tree, self.stubs = os.path.join(work, "tree"), os.path.join(work, "stubs")
        for name in FILES:
            os.makedirs(os.path.dirname(self.path(name)), exist_ok=True)
            shutil.copy2(os.path.join(ROOT, name), self.path(name))
        os.makedirs(self.stubs)
        for name, text in (("apt-get", APT_GET), ("emcc", COMPILER), (WINDOWS_COMPILER, COMPILER)):
            with open(os.path.join(self.stubs, name), "w") as f:
                f.write(text)
            os.chmod(os.path.join(self.stubs, name), 0o755)
        self.write_stub("version", "2.0-1")
        self.write_stub("emcc-version", "emcc 3.1.6")
        self.write_stub(WINDOWS_COMPILER + "-version", "g++ 12-posix")
        self.env = dict(os.environ, STUBS=self.stubs, PATH=self.stubs + os.pathsep + os.environ["PATH"],
                        XDG_CACHE_HOME=os.path.join(work, "cache"))

    def path(self, name):
        return os.path.join(self.tree, name)

    def write_stub(self, name, text):
        with open(os.path.join(self.stubs, name), "w") as f:
            f.write(text + "\n")

    def append(self, name, line):
        with open(self.path(name), "a") as f:
            f.write(line + "\n")

    def run(self, command):
        return subprocess.run(["bash", "-c", command], cwd=self.tree, env=self.env, capture_output=True, text=True)

    def keys(self):
        keys = {}
        for platform in ("proj.web", "proj.win32"):
            run = self.run(f"{platform}/build-deps.sh --key")
            assert run.returncode == 0 and len(run.stdout.strip()) == 16, run.stderr
            keys[platform] = run.stdout.strip()
        return keys

    def fetched(self):
        return os.path.exists(os.path.join(self.stubs, "fetched"))


class RecipeKeys(unittest.TestCase):
    def setUp(self):
        self.work = tempfile.mkdtemp(prefix="pavlune-recipe-test-")
        self.tree = RecipeTree(self.work)
        self.before = self.tree.keys()

    def tearDown(self):
        shutil.rmtree(self.work)

    def assertChanged(self, changed):
        after = self.tree.keys()
        for platform, key in self.before.items():
            if platform in changed:
                self.assertNotEqual(after[platform], key, f"{platform}'s key missed the edit")
            else:
                self.assertEqual(after[platform], key, f"{platform}'s key followed an edit that builds nothing")

    def test_a_step_both_recipes_share_changes_both_keys(self):
        # Catches the key hashing only the platform's own script.
        self.tree.append("tools/libraries/recipe-steps.sh", "jobs=1")
        self.assertChanged({"proj.web", "proj.win32"})

    def test_a_comment_or_a_driver_edit_changes_no_key(self):
        # Catches comments counted, or the drivers' steps hashed with the recipe.
        self.tree.append("tools/libraries/recipe-steps.sh", "  # reworded")
        self.tree.append("proj.web/build-deps.sh", "# reworded")
        self.tree.append("tools/libraries/driver-steps.sh", "pavlune_cache=/elsewhere")
        self.assertChanged(set())

    def test_each_platform_file_changes_its_own_key(self):
        self.tree.append("cmake/mingw-w64-x86_64.cmake", "set(CMAKE_AR ar)")
        self.assertChanged({"proj.win32"})
        self.before = self.tree.keys()
        self.tree.append("proj.web/sdl2-emscripten-checks.cmake", 'set(HAVE_ABS "" CACHE INTERNAL "")')
        self.assertChanged({"proj.web"})

    def test_a_new_debian_version_or_compiler_changes_the_keys(self):
        self.tree.write_stub("version", "2.0-2")
        self.assertChanged({"proj.web", "proj.win32"})
        self.before = self.tree.keys()
        self.tree.write_stub(WINDOWS_COMPILER + "-version", "g++ 13-posix")
        self.assertChanged({"proj.win32"})


class FinishedPrefix(unittest.TestCase):
    def setUp(self):
        self.work = tempfile.mkdtemp(prefix="pavlune-recipe-test-")
        self.tree = RecipeTree(self.work)
        self.prefix = os.path.join(self.work, "deps")
        os.makedirs(os.path.join(self.prefix, "lib"))
        with open(os.path.join(self.prefix, "lib", "libSDL2.a"), "w") as f:
            f.write("built")

    def tearDown(self):
        shutil.rmtree(self.work)

    def stamp(self, key):
        with open(os.path.join(self.prefix, ".recipe"), "w") as f:
            f.write(key + "\n")

    def test_a_prefix_finished_by_this_recipe_is_used_as_it_is(self):
        self.stamp(self.tree.keys()["proj.win32"])
        run = self.tree.run(f"proj.win32/build-deps.sh {self.prefix}")
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertFalse(self.tree.fetched(), "the sources were fetched again")
        self.assertTrue(os.path.exists(os.path.join(self.prefix, "lib", "libSDL2.a")))

    def test_a_prefix_finished_by_another_recipe_is_built_afresh(self):
        # Catches the stale libraries being kept under the new stamp.
        self.stamp("0123456789abcdef")
        run = self.tree.run(f"proj.web/build-deps.sh {self.prefix}")
        self.assertNotEqual(run.returncode, 0)  # the stand-in refuses the download
        self.assertTrue(self.tree.fetched(), "the recipe did not start again")
        self.assertFalse(os.path.exists(os.path.join(self.prefix, "lib", "libSDL2.a")), "stale libraries kept")


class DriverPrefix(unittest.TestCase):
    def setUp(self):
        self.work = tempfile.mkdtemp(prefix="pavlune-recipe-test-")
        self.tree = RecipeTree(self.work)
        with open(self.tree.path("recipe.sh"), "w") as f:
            f.write('#!/bin/sh\n[ "$1" = --key ] && { echo 0123456789abcdef; exit 0; }\necho "$1" > built-in\n')
        os.chmod(self.tree.path("recipe.sh"), 0o755)

    def tearDown(self):
        shutil.rmtree(self.work)

    def built_in(self, prefix):
        run = self.tree.run(f". tools/libraries/driver-steps.sh && build_libraries ./recipe.sh web-deps '{prefix}' "
                            "&& echo \"$deps\"")
        self.assertEqual(run.returncode, 0, run.stderr)
        with open(self.tree.path("built-in")) as f:
            self.assertEqual(f.read().strip(), run.stdout.strip(), "the recipe ran elsewhere than deps says")
        return run.stdout.strip()

    def test_the_default_prefix_is_named_by_the_key(self):
        # Catches a folder without the key, which two recipes would share.
        expected = os.path.join(self.work, "cache", "pavlune-cards", "web-deps-0123456789ab")
        self.assertEqual(self.built_in(""), expected)

    def test_a_prefix_from_the_environment_wins(self):
        self.assertEqual(self.built_in(os.path.join(self.work, "mine")), os.path.join(self.work, "mine"))


if __name__ == "__main__":
    unittest.main()
