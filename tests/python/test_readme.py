"""The README's Scripting example runs as written and draws the wall's curve."""
import os
import re
import subprocess
import sys

import pytest

from conftest import SOURCE


def test_the_readme_example_builds_a_wall_pushes_it_and_plots_its_curve(tmp_path):
    pytest.importorskip("matplotlib")
    readme = (SOURCE / "README.md").read_text()
    section = readme[readme.index("## Scripting"):]
    example = re.search(r"```python\n(.*?)```", section, re.S).group(1)
    assert len(example.strip().splitlines()) == 10
    env = dict(os.environ, MPLBACKEND="Agg")
    run = subprocess.run([sys.executable, "-c", example], cwd=tmp_path, env=env, capture_output=True, text=True)
    assert run.returncode == 0, run.stderr
    picture = (tmp_path / "wall.png").read_bytes()
    assert picture.startswith(b"\x89PNG") and len(picture) > 10000
