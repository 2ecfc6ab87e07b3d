import pathlib

import pytest

DATA = pathlib.Path(__file__).resolve().parent.parent / "data"


def read_data(name: str) -> str:
    return (DATA / name).read_text(encoding="utf-8")


@pytest.fixture
def data():
    return read_data
