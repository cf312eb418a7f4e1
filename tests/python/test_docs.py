"""vqcam's documentation as a script writer meets it: the stub matches the module, and every README
example type-checks under mypy --strict and runs against the simulated camera."""
import ast
import os
import re
import subprocess
import sys
import tempfile
import textwrap
import unittest

import vqcam

README = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "README.md")


def examples():
    with open(README, encoding="utf-8") as f:
        text = f.read()
    section = text[text.index("## vqcam"):]
    section = section[:section.index("\n## ", 1)]
    return re.findall(r"```python\n(.*?)```", section, re.S)


class Docs(unittest.TestCase):
    def run_tool(self, *args, cwd=None):
        done = subprocess.run([sys.executable, *args], capture_output=True, text=True, cwd=cwd)
        return done.returncode, done.stdout + done.stderr

    def test_the_stub_matches_the_module(self):
        status, output = self.run_tool("-m", "mypy.stubtest", "vqcam")
        self.assertEqual(status, 0, output)

    def test_the_stubs_codes_are_the_modules_by_name_and_value(self):
        # What type checkers see is what scripts get: each name with its number (two swapped names fail).
        with open(os.path.join(os.path.dirname(vqcam.__file__), "__init__.pyi"), encoding="utf-8") as f:
            stub = ast.parse(f.read())
        code = next(node for node in stub.body if isinstance(node, ast.ClassDef) and node.name == "Code")
        members = [(node.targets[0].id, node.value.value) for node in code.body if isinstance(node, ast.Assign)]
        self.assertEqual(members, [(c.name, c.value) for c in vqcam.Code])

    # Ordinary script code the stub must accept under --strict: a return from inside a Simulator's
    # block, and a CommError's code used as the Code it is.
    TYPED_USES = textwrap.dedent("""
        import vqcam

        def terminal() -> str:
            with vqcam.Simulator() as sim:
                return sim.path

        def code_name(e: vqcam.CommError) -> str:
            return e.code.name

        def os_error(e: OSError) -> bool:
            return isinstance(e, vqcam.CommError) and e.errno is None

        def this_runs_spots(camera: vqcam.Camera) -> list[tuple[int, int]]:
            try:
                camera.detect(30)
            except vqcam.DetectionError as e:
                if e.end is vqcam.DetectionEnd.OVER:
                    return camera.spots(earlier=True)
                raise
            return camera.spots()

        def what_was_opened(camera: vqcam.Camera) -> str:
            rate: int = camera.baud or 0
            return "%s %s %d %s" % (camera.device, camera.com, rate, camera.camera_link)

        def verified(camera: vqcam.Camera) -> bool:
            return not camera.diff("golden.vq", rows="written")
    """)

    def test_ordinary_uses_type_check(self):
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "uses.py")
            with open(path, "w", encoding="utf-8") as f:
                f.write(self.TYPED_USES)
            status, output = self.run_tool("-m", "mypy", "--strict", "--no-incremental", path, cwd=folder)
            self.assertEqual(status, 0, output)

    def test_the_readme_examples_type_check_and_run(self):
        found = examples()
        self.assertGreaterEqual(len(found), 3)
        with tempfile.TemporaryDirectory() as folder:
            paths = []
            for i, code in enumerate(found):
                paths.append(os.path.join(folder, "example_%d.py" % i))
                with open(paths[-1], "w", encoding="utf-8") as f:
                    f.write(code)
            status, output = self.run_tool("-m", "mypy", "--strict", "--no-incremental", *paths, cwd=folder)
            self.assertEqual(status, 0, output)
            for path, code in zip(paths, found):
                with self.subTest(example=code.splitlines()[2]), vqcam.Simulator() as sim:
                    with open(path, "w", encoding="utf-8") as f:
                        f.write(code.replace('"/dev/ttyUSB0"', repr(sim.path)))
                    status, output = self.run_tool(path, cwd=folder)
                    self.assertEqual(status, 0, output)


if __name__ == "__main__":
    unittest.main()
