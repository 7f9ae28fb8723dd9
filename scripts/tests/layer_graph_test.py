#!/usr/bin/env python3
"""scripts/layer-graph over small trees: it passes a tree whose includes and
links run downward and names the edge of each tree that breaks the layers."""
import os
import subprocess
import sys
import tempfile
import unittest

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "layer-graph")


def run_on(files):
    with tempfile.TemporaryDirectory() as root:
        for path, text in files.items():
            full = os.path.join(root, path)
            os.makedirs(os.path.dirname(full), exist_ok=True)
            with open(full, "w") as f:
                f.write(text)
        done = subprocess.run([sys.executable, SCRIPT, root], capture_output=True, text=True)
        return done.returncode, done.stdout


SOUND = {
    "base/Exception.h": "#pragma once\n",
    "base/win32/WideText.h": '#include "Exception.h"\n',
    "archive/ZipReader.cpp": '#include "Exception.h"\n#include "ZipReader.h"\n',
    "archive/ZipReader.h": "#pragma once\n",
    "player/hooks/Hooks.cpp": '#include "player/content/Content.h"\n#include "WideText.h"\n',
    "player/content/Content.h": '#include "Exception.h"\n',
    # Tests may reach any layer.
    "player/content/tests/ContentTests.cpp": '#include "player/hooks/Hooks.h"\n',
    # Test support serves the tests, the fuzz targets and the benchmarks.
    "archive/testing/ScratchFolder.h": '#include "Exception.h"\n',
    "archive/fuzz/fuzz_reader.cpp": '#include "ScratchFolder.h"\n#include "ZipReader.h"\n',
    "bench/bench_reader.cpp": '#include "ScratchFolder.h"\n',
    "base/CMakeLists.txt": "add_library(vell_base STATIC Exception.cpp)\n",
    "archive/CMakeLists.txt": "add_library(vell_archive STATIC ZipReader.cpp)\n"
                              "target_link_libraries(vell_archive PUBLIC vell_base) # links downward\n",
}


class LayerGraph(unittest.TestCase):
    def test_a_tree_that_runs_downward_passes_and_shows_its_edges(self):
        code, output = run_on(SOUND)
        self.assertEqual(code, 0, output)
        self.assertIn("player/hooks       -> base, player/content", output)
        self.assertIn("vell_archive               [archive] -> vell_base", output)
        self.assertIn("bench              -> archive/testing", output)

    def test_each_broken_layering_fails_with_its_edge(self):
        cases = [
            ("an include upward", {"base/Stream.cpp": '#include "archive/ZipReader.h"\n'},
             "base -> archive runs upward: base/Stream.cpp includes archive/ZipReader.h"),
            ("an include found through an include folder", {"player/loader/Dll.cpp": '#include "Hooks.cpp"\n'},
             "player/loader -> player/hooks runs upward"),
            ("a link upward", {"base/CMakeLists.txt": "add_library(vell_base STATIC Exception.cpp)\n"
                                                      "target_link_libraries(vell_base PRIVATE vell_archive)\n"},
             "base -> archive runs upward: vell_base links vell_archive"),
            ("side by side", {"tools/Tool.cpp": '#include "pageplayer/Player.h"\n', "pageplayer/Player.h": ""},
             "tools -> pageplayer runs sideways"),
            ("a folder outside the layers", {"player/Loose.cpp": '#include "Exception.h"\n'},
             "player/Loose.cpp lies in a folder outside the layers"),
            ("a circle of libraries in one folder",
             {"app/CMakeLists.txt": "add_library(a STATIC A.cpp)\nadd_library(b STATIC B.cpp)\n"
                                    "target_link_libraries(a PUBLIC b)\ntarget_link_libraries(b PUBLIC a)\n"},
             "libraries in a circle: a -> b -> a"),
            ("test support used by production code",
             {"app/Main.cpp": '#include "ArchiveWriter.h"\n', "archive/testing/ArchiveWriter.h": ""},
             "app -> archive/testing uses test support outside the tests"),
            ("an include that may name two files",
             {"app/Main.cpp": '#include "Same.h"\n', "base/Same.h": "", "archive/Same.h": ""},
             'app/Main.cpp includes "Same.h", which may be any of'),
        ]
        for name, extra, expected in cases:
            with self.subTest(name):
                code, output = run_on({**SOUND, **extra})
                self.assertEqual(code, 1, output)
                self.assertIn(expected, output)


if __name__ == "__main__":
    unittest.main()
