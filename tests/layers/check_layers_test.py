#!/usr/bin/env python3
"""The layer check on small trees: each include form that crosses a layer, and
each platform branch planted in a shared file, is reported with its file, line
and the rule it breaks; the allowed ones are not."""
import importlib.util
import pathlib
import sys
import tempfile
import unittest

CHECKER = pathlib.Path(__file__).resolve().parents[2] / "tools" / "layers" / "check_layers.py"
spec = importlib.util.spec_from_file_location("check_layers", CHECKER)
layers = importlib.util.module_from_spec(spec)
sys.modules["check_layers"] = layers
spec.loader.exec_module(layers)


def problems_in(files: dict[str, str]) -> list[str]:
    with tempfile.TemporaryDirectory() as folder:
        root = pathlib.Path(folder)
        for name, text in files.items():
            path = root / name
            path.parent.mkdir(parents=True, exist_ok=True)
            path.write_text(text)
        return layers.check(root.resolve())


# (case, files, the one problem reported)
CROSSINGS = [
    ("quoted from the root", {"store/A.cpp": '#include "editor/FieldScene.h"\n'},
     "store/A.cpp:1: store/ must not include editor/"),
    ("angled", {"store/A.cpp": "#include <vector>\n#include <editor/FieldScene.h>\n"},
     "store/A.cpp:2: store/ must not include editor/"),
    ("relative to the file", {"store/A.cpp": '#include "../editor/FieldScene.h"\n'},
     "store/A.cpp:1: store/ must not include editor/"),
    ("relative out of a sub-folder", {"engine/base/A.h": '#include "../2d/Sprite.h"\n'},
     "engine/base/A.h:1: engine/base/ must not include engine/"),
    ("spaces around the hash", {"store/A.cpp": '  #  include   "editor/FieldScene.h"\n'},
     "store/A.cpp:1: store/ must not include editor/"),
    ("an .inl file", {"store/Detail.inl": '#include "editor/FieldScene.h"\n'},
     "store/Detail.inl:1: store/ must not include editor/"),
    ("an .inl included", {"catalogue/A.h": '#include "device/Detail.inl"\n'},
     "catalogue/A.h:1: catalogue/ must not include device/"),
    ("a pure layer beyond engine/base", {"store/A.cpp": '#include "engine/2d/Sprite.h"\n'},
     "store/A.cpp:1: store/ must not include engine/"),
    ("the field beyond engine/base", {"field/A.cpp": '#include "engine/platform/GLView.h"\n'},
     "field/A.cpp:1: field/ must not include engine/"),
    ("the simulator outside its window on the platform", {"sim/Board.cpp": '#include "engine/platform/GLView.h"\n'},
     "sim/Board.cpp:1: sim/ must not include engine/"),
    ("the simulator outside its window on the window", {"sim/Board.cpp": '#include "sim/window/BoardWindow.h"\n'},
     "sim/Board.cpp:1: sim/ must not include sim/window/"),
    ("SDL in a pure layer", {"program/A.cpp": "#include <SDL2/SDL.h>\n"},
     "program/A.cpp:1: program/ runs without a display and must not include SDL2/SDL.h"),
    ("a test beyond its layer", {"tests/store/SaveTest.cpp": '#include "editor/FieldScene.h"\n'},
     "tests/store/SaveTest.cpp:1: tests of store/ must not include editor/"),
    ("a test relative to itself", {"tests/field/T.cpp": '#include "../../editor/FieldScene.h"\n'},
     "tests/field/T.cpp:1: tests of field/ must not include editor/"),
    ("a test helper of a higher layer", {"tests/store/T.cpp": '#include "tests/editor/PaletteFixture.h"\n'},
     "tests/store/T.cpp:1: tests of store/ must not include tests/editor/PaletteFixture.h"),
    ("a test of the simulator's logic on its window", {"tests/sim/T.cpp": '#include "sim/window/CarFloor.h"\n'},
     "tests/sim/T.cpp:1: tests of sim/ must not include sim/window/"),
    ("the product on the tests", {"field/A.cpp": '#include "tests/support/Made.h"\n'},
     "field/A.cpp:1: field/ must not include the tests' tests/support/Made.h"),
    ("a platform branch in a shared file", {"editor/link/A.cpp": "#include <thread>\n#ifdef __EMSCRIPTEN__\n#endif\n"},
     "editor/link/A.cpp:2: a shared file branches on __EMSCRIPTEN__"),
    ("a platform branch in a shared header", {"engine/base/A.h": "#pragma once\n#ifndef _WIN32\n#endif\n"},
     "engine/base/A.h:2: a shared file branches on _WIN32"),
    ("a platform among other conditions", {"program/A.cpp": "#if PAVLUNE_X && (defined(__linux__) || 0)\n#endif\n"},
     "program/A.cpp:1: a shared file branches on __linux__"),
    ("a platform on an elif", {"store/A.cpp": "#if PAVLUNE_X\n#elif defined(__APPLE__)\n#endif\n"},
     "store/A.cpp:2: a shared file branches on __APPLE__"),
    ("a platform on a continued line", {"app/A.cpp": "#if defined(PAVLUNE_X) || \\\n    defined(_WIN32)\n#endif\n"},
     "app/A.cpp:1: a shared file branches on _WIN32"),
    ("a platform branch in a test", {"tests/store/T.cpp": "#if defined(__GLIBC__)\n#endif\n"},
     "tests/store/T.cpp:1: a shared file branches on __GLIBC__"),
    ("a folder named like a platform's but not one", {"engine/webby/A.cpp": "#ifdef _WIN32\n#endif\n"},
     "engine/webby/A.cpp:1: a shared file branches on _WIN32"),
    ("no layer table in the document", {"docs/ARCHITECTURE.md": "# Layers\n"},
     "the layer table is missing"),
    ("a layer table that differs",
     {"docs/ARCHITECTURE.md": layers.doc_table().replace("| `store` | `engine/base`", "| `store` | `engine`")},
     "the layer table differs"),
]

ALLOWED = [
    ("engine allows engine/base", {"widgets/A.cpp": '#include "engine/base/Ref.h"\n#include "engine/2d/Node.h"\n'}),
    ("the window on the platform and the simulator",
     {"sim/window/W.cpp": '#include "engine/platform/GLView.h"\n#include "sim/BoardOutputs.h"\n#include <SDL.h>\n'}),
    ("own folder, beside the file and system headers",
     {"store/A.cpp": '#include "store/SaveData.h"\n#include "SaveData.h"\n#include <vector>\n',
      "store/SaveData.h": "#pragma once\n"}),
    ("a quoted path found beside the file first",
     {"store/A.cpp": '#include "engine/Local.h"\n', "store/engine/Local.h": "#pragma once\n"}),
    ("the entry point of the simulator opens its window", {"sim/main.cpp": '#include "sim/window/BoardWindow.h"\n'}),
    ("a lower layer's test helper", {"tests/program/T.cpp": '#include "tests/device/FakeSerialBackend.h"\n'}),
    ("the support folder", {"tests/store/T.cpp": '#include "tests/support/WritesFail.h"\n'}),
    ("a screen test that crosses screens", {"tests/editor/T.cpp": '#include "tests/saves/SaveScreenFixture.h"\n'}),
    ("a platform's own folders branch on it",
     {"proj.win32/main.cpp": "#ifdef _WIN32\n#endif\n", "device/web/A.cpp": "#ifdef __EMSCRIPTEN__\n#endif\n"}),
    ("an allowed file with its reason", {"tests/saves/SaveSceneTest.cpp": "#ifndef _WIN32\n#endif\n"}),
    ("conditions that name no platform",
     {"engine/base/A.cpp": "#ifdef PAVLUNE_SOURCE_ROOT\n#endif\n#if EWOULDBLOCK != EAGAIN // unlike _WIN32\n#endif\n"
                           "#ifndef MY_WIN32_HELPERS_H\n#endif\n/* #ifdef _WIN32 */\n"}),
    ("benchmarks measure anything", {"bench/B.cpp": '#include "editor/FieldScene.h"\n'}),
    ("the document's table as generated", {"docs/ARCHITECTURE.md": "# Layers\n\n" + layers.doc_table() + "\n"}),
]


class LayerCheckTest(unittest.TestCase):
    def test_each_crossing_is_reported(self):
        for case, files, expected in CROSSINGS:
            with self.subTest(case):
                found = problems_in(files)
                self.assertEqual(len(found), 1, found)
                self.assertIn(expected, found[0])

    def test_allowed_includes_pass(self):
        for case, files in ALLOWED:
            with self.subTest(case):
                self.assertEqual(problems_in(files), [])

    def test_a_table_with_a_cycle_is_refused(self):
        saved = layers.RULES["catalogue"]
        layers.RULES["catalogue"] = {"engine/base", "program"}
        try:
            self.assertIn("depends on itself", problems_in({})[0])
        finally:
            layers.RULES["catalogue"] = saved


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=1)
