"""docs/guide.md: its Python blocks run in order, in one namespace, in a
folder of their own, so the guide never goes stale."""
import os
import re

import pytest

GUIDE = os.path.join(os.path.dirname(__file__), "..", "..", "docs", "guide.md")


def python_blocks():
    with open(GUIDE, encoding="utf-8") as guide:
        text = guide.read()
    return [(text[:match.start()].count("\n") + 2, match.group(1))
            for match in re.finditer(r"^```python\n(.*?)^```", text, re.M | re.S)]


def test_the_guide_has_examples():
    assert len(python_blocks()) >= 8


def test_the_guide_runs():
    namespace = {"__name__": "guide"}
    for line, block in python_blocks():
        try:
            exec(compile(block, "docs/guide.md:%d" % line, "exec"), namespace)
        except Exception as error:
            pytest.fail("the block at docs/guide.md line %d fails: %r" % (line, error))
