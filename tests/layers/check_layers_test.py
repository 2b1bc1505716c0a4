#!/usr/bin/env python3
"""The dependency check against small trees that break the rule in one way each."""
import os
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
CHECK = os.path.join(HERE, "..", "..", "tools", "check_layers.py")

LAYERS = """
qel_layer(base)
qel_layer(ui USES base)
qel_layer(platform USES base)
qel_layer(macros USES base platform)
qel_layer(app USES base ui platform macros)
qel_app_parts(macros/Playback.cpp)
"""


def run(files):
    with tempfile.TemporaryDirectory() as root:
        os.makedirs(os.path.join(root, "cmake"))
        with open(os.path.join(root, "cmake", "Layers.cmake"), "w") as f:
            f.write(LAYERS)
        for rel, text in files.items():
            path = os.path.join(root, "src", rel)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "w") as f:
                f.write(text)
        done = subprocess.run([sys.executable, CHECK, "--root", root], capture_output=True, text=True)
        return done.returncode, done.stdout


class CheckLayers(unittest.TestCase):
    def test_a_tree_that_keeps_the_rule_passes(self):
        code, out = run({
            "base/Geometry.h": "#include <cstdint>\n",
            "platform/Screen.h": '#include "base/Geometry.h"\n#include <vector>\n',
            "macros/Recorded.cpp": '#include "platform/Screen.h"\n',
            # A main-window part may use what the app layer uses.
            "macros/Playback.cpp": '#include "ui/Button.h"\n#include "app/FrmMain.h"\n',
            "linux/X11.cpp": "#include <X11/Xlib.h>\n#ifdef __linux__\n#endif\n",
        })
        self.assertEqual(code, 0, out)

    def test_each_breach_is_named(self):
        cases = {
            "a system header": ("platform/Files.cpp", "#include <unistd.h>\n", "<unistd.h>"),
            "a toolkit header": ("ui/Peer.cpp", "#include <QWidget>\n", "<QWidget>"),
            "an X11 header": ("macros/Hook.cpp", "#include <X11/Xlib.h>\n", "<X11/Xlib.h>"),
            "a layer above": ("platform/Screen.h", '#include "ui/Geometry.h"\n', "layer platform may not use"),
            "a sibling not used": ("ui/Button.h", '#include "platform/Clock.h"\n', "layer ui may not use"),
            "an edition's header": ("macros/Rec.cpp", '#include "linux/X11Platform.h"\n', "outside the core"),
            "a platform test": ("macros/Rec.cpp", "#if defined(_WIN32)\n#endif\n", "asks which system"),
            "a header without folder": ("macros/Rec.cpp", '#include "Rec.h"\n', "needs its folder"),
        }
        for what, (rel, text, expected) in cases.items():
            with self.subTest(what):
                code, out = run({rel: text})
                self.assertEqual(code, 1, out)
                self.assertIn(expected, out)
                self.assertIn("src/" + rel + ":", out)

    def test_the_real_tree_keeps_the_rule(self):
        done = subprocess.run([sys.executable, CHECK], capture_output=True, text=True)
        self.assertEqual(done.returncode, 0, done.stdout)


if __name__ == "__main__":
    unittest.main()
