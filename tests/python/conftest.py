import pathlib
import re

import pytest

DATA = pathlib.Path(__file__).resolve().parent.parent / "data"
# The version, written once in the project's CMakeLists.txt.
VERSION = re.search(r"project\(quillmark VERSION ([0-9.]+)",
                    (DATA.parent.parent / "CMakeLists.txt").read_text(encoding="utf-8")).group(1)


def read_data(name: str) -> str:
    return (DATA / name).read_text(encoding="utf-8")


@pytest.fixture
def data():
    return read_data
