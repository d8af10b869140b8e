#!/usr/bin/env python3
"""The prefix comparison of the nothing-kept test must see what a program would keep, and only that."""
import io
import os
import sys
import tempfile
import unittest
from contextlib import redirect_stdout

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import prefix_snapshot  # noqa: E402

REGISTRY = """Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\\Software\\Wine]
"Version"="8.0"
"Blob"=hex:01,02,\\
  03,04

[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Video\\{11111111-2222-3333-4444-555555555555}]
"""


class FakePrefix:
    """A prefix of a few files, a user folder linked outside it, and a registry export."""

    def __init__(self, root):
        self.root = root
        self.prefix = os.path.join(root, "prefix")
        self.outside = os.path.join(root, "home")
        os.makedirs(os.path.join(self.prefix, "drive_c/users/u/AppData/Roaming"))
        os.makedirs(os.path.join(self.prefix, "drive_c/users/u/AppData/Local/Microsoft/Windows/INetCache"))
        os.makedirs(os.path.join(self.outside, "big folder"))
        self.program_folder = os.path.join(root, "app")
        os.makedirs(self.program_folder)
        os.symlink(self.outside, os.path.join(self.prefix, "drive_c/users/u/Documents"))
        self.registry = REGISTRY

    def write(self, relative, text="x"):
        path = os.path.join(self.prefix, "drive_c", relative) if not relative.startswith("/") else relative
        with open(path, "w") as f:
            f.write(text)

    def take(self, name):
        export = os.path.join(self.root, name + ".reg")
        with open(export, "wb") as f:
            f.write(self.registry.encode("utf-16"))
        out = os.path.join(self.root, name + ".json")
        prefix_snapshot.take(self.prefix, export, out, [self.program_folder])
        return out


class CompareTest(unittest.TestCase):
    def run_case(self, change, noise=lambda p: None):
        with tempfile.TemporaryDirectory() as root:
            prefix = FakePrefix(root)
            noise_before = prefix.take("noise-before")
            noise(prefix)
            noise_after = prefix.take("noise-after")
            before = prefix.take("before")
            change(prefix)
            after = prefix.take("after")
            output = io.StringIO()
            with redirect_stdout(output):
                result = prefix_snapshot.compare(before, after, noise_before, noise_after)
            return result, output.getvalue()

    def test_cases(self):
        def video_key(guid):
            def change(prefix):
                prefix.registry = REGISTRY.replace("11111111-2222-3333-4444-555555555555", guid)
            return change

        cases = [
            ("nothing changed", lambda p: None, None, 0),
            ("a settings file", lambda p: p.write("users/u/AppData/Roaming/settings.ini"), None, 1),
            ("a file beside the program's folder in drive_c", lambda p: p.write("orvanta.log"), None, 1),
            ("a settings file beside the program",
             lambda p: p.write(os.path.join(p.program_folder, "orvanta.ini")), None, 1),
            ("a file in the user's linked Documents", lambda p: p.write(os.path.join(p.outside, "saved.txt")),
             None, 1),
            ("a file deep in a linked folder shows as its folder changed",
             lambda p: p.write(os.path.join(p.outside, "big folder", "other.txt")), None, 1),
            ("a registry value", lambda p: setattr(p, "registry", p.registry + '"Scheme"=dword:00000002\n'),
             None, 1),
            ("a changed registry value", lambda p: setattr(p, "registry", p.registry.replace("8.0", "9.0")),
             None, 1),
            ("a value continued over lines, changed at its end",
             lambda p: setattr(p, "registry", p.registry.replace("03,04", "03,05")), None, 1),
            ("the request object's cache",
             lambda p: p.write("users/u/AppData/Local/Microsoft/Windows/INetCache/t[1]"), None, 0),
            ("Wine's video key under a new name, as Wine also makes it by itself",
             video_key("66666666-7777-8888-9999-000000000000"),
             video_key("aaaaaaaa-bbbb-cccc-dddd-eeeeeeeeeeee"), 0),
        ]
        for what, change, noise, expected in cases:
            with self.subTest(what):
                result, output = self.run_case(change, noise or (lambda p: None))
                self.assertEqual(result, expected, output)
                self.assertEqual("PROGRAM" in output, expected == 1, output)


if __name__ == "__main__":
    unittest.main()
