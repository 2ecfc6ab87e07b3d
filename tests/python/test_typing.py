"""The type stubs: they match the module (every getter's name, order and
type), and mypy finds and applies them.

Against an installed module the stubs are found the way a user's mypy finds
them, as the quillmark-stubs package beside the module in site-packages;
against the development build they are taken from the source tree. The
wheel test checks that a fresh installation is found too."""
import ast
import inspect
import pathlib
import textwrap
import types

import pytest

import quillmark
from cases import all_cases
from golden import SOURCES

mypy_api = pytest.importorskip("mypy.api", reason="mypy is not installed")

SOURCE_STUBS = pathlib.Path(__file__).resolve().parent.parent.parent / "stubs"
INSTALLED_STUBS = pathlib.Path(quillmark.__file__).with_name("quillmark-stubs")
STUB_FILE = (INSTALLED_STUBS if INSTALLED_STUBS.is_dir() else SOURCE_STUBS / "quillmark-stubs") / "__init__.pyi"
STUBS = ast.parse(STUB_FILE.read_text(encoding="utf-8"))


def stub_definitions(body):
    return {node.name: node for node in body if isinstance(node, (ast.FunctionDef, ast.ClassDef))}


def stub_parameters(function: ast.FunctionDef) -> list:
    arguments = function.args
    defaults = [None] * (len(arguments.args) - len(arguments.defaults)) + arguments.defaults
    keyword_only = [(a.arg, ast.literal_eval(d) if d else inspect.Parameter.empty)
                    for a, d in zip(arguments.kwonlyargs, arguments.kw_defaults)]
    return [(a.arg, ast.literal_eval(d) if d else inspect.Parameter.empty)
            for a, d in zip(arguments.args, defaults)] + keyword_only


def runtime_parameters(function) -> list:
    return [(p.name, p.default) for p in inspect.signature(function).parameters.values() if p.name != "self"]


def stub_properties(members: dict) -> dict:
    """The read-only properties of a class stub, each with its type."""
    return {name: function.returns for name, function in members.items()
            if any(getattr(d, "id", None) == "property" for d in function.decorator_list)}


def holds(value, annotation: ast.expr) -> bool:
    """Whether `value` is of the type a stub annotation names: a union of
    None, str, int, a class of the module and list[...] of them."""
    if isinstance(annotation, ast.BinOp):
        return holds(value, annotation.left) or holds(value, annotation.right)
    if isinstance(annotation, ast.Constant):
        return value is None
    if isinstance(annotation, ast.Subscript):
        assert annotation.value.id == "list"
        return isinstance(value, list) and all(holds(item, annotation.slice) for item in value)
    return type(value) is ({"str": str, "int": int}.get(annotation.id) or getattr(quillmark, annotation.id))


def test_stubs_carry_the_module_docstring():
    assert ast.get_docstring(STUBS, clean=False) == quillmark.__doc__


def test_stubs_declare_the_module_attributes_in_order():
    assigned = next(n for n in STUBS.body if isinstance(n, ast.Assign) and n.targets[0].id == "__all__")
    assert ast.literal_eval(assigned.value) == quillmark.__all__
    assert stub_definitions(STUBS.body).keys() | {"__version__"} == set(quillmark.__all__)


@pytest.mark.parametrize("name", ["parse", "parse_to_markdown", "detect_format", "read_bulk", "read_bulk_arrow"])
def test_function_stubs_have_the_runtime_signature_and_docstring(name):
    stub = stub_definitions(STUBS.body)[name]
    function = getattr(quillmark, name)
    assert stub_parameters(stub) == runtime_parameters(function)
    assert ast.get_docstring(stub, clean=False) == function.__doc__


@pytest.mark.parametrize("cls", [quillmark.Document, quillmark.Claim, quillmark.Citation, quillmark.BulkItem,
                                 quillmark.BulkArrowStream],
                         ids=lambda c: c.__name__)
def test_class_stubs_list_every_read_only_property_and_method(cls):
    stub = stub_definitions(STUBS.body)[cls.__name__]
    assert ast.get_docstring(stub, clean=False) == cls.__doc__
    members = stub_definitions(stub.body)
    properties = list(stub_properties(members))
    runtime = [n for n, v in vars(cls).items() if isinstance(v, types.GetSetDescriptorType)]
    assert properties == runtime
    assert {name: ast.get_docstring(members[name], clean=False) for name in properties} == {
        name: vars(cls)[name].__doc__ for name in runtime}
    for name, function in members.items():
        if name not in properties:
            assert stub_parameters(function)[1:] == runtime_parameters(getattr(cls, name))
            assert ast.get_docstring(function, clean=False) == getattr(cls, name).__doc__


def test_every_getter_gives_the_type_its_stub_names():
    documents = [quillmark.parse(source.read_text(encoding="utf-8")) for source in SOURCES]
    documents += [quillmark.parse(case.text) for case in all_cases() if all(kind != "error" for kind, _, _ in case.expected)]
    for cls, objects in ((quillmark.Document, documents), (quillmark.Claim, [c for d in documents for c in d.claims]),
                         (quillmark.Citation, [c for d in documents for c in d.citations])):
        for name, annotation in stub_properties(stub_definitions(stub_definitions(STUBS.body)[cls.__name__].body)).items():
            values = [getattr(instance, name) for instance in objects]
            assert all(holds(value, annotation) for value in values), f"{cls.__name__}.{name}"
            assert any(value not in (None, []) for value in values), f"no test document gives {cls.__name__}.{name}"


def run_mypy(tmp_path, source: str):
    program = tmp_path / "program.py"
    program.write_text(textwrap.dedent(source), encoding="utf-8")
    config = tmp_path / "mypy.ini"
    config.write_text("[mypy]\n")
    if not INSTALLED_STUBS.is_dir():
        # A stub package is only looked for in site-packages; the same stub
        # as a module on the search path stands in for it.
        (tmp_path / "stubs").mkdir()
        (tmp_path / "stubs" / "quillmark.pyi").write_bytes(STUB_FILE.read_bytes())
        config.write_text(f"[mypy]\nmypy_path = {tmp_path / 'stubs'}\n")
    stdout, _, status = mypy_api.run(
        ["--strict", "--no-error-summary", "--config-file", str(config), "--cache-dir", str(tmp_path / "cache"), str(program)]
    )
    return status, [line.split(": ", 1)[1] for line in stdout.splitlines()]


def test_mypy_accepts_correct_use(tmp_path):
    status, messages = run_mypy(
        tmp_path,
        """
        import quillmark

        def numbers(xml: str) -> list[tuple[int, str]]:
            document: quillmark.Document = quillmark.parse(xml)
            title: str | None = document.title
            markdown: str = document.to_markdown(template=None) + quillmark.parse_to_markdown(xml, "{{claims}}")
            assert title is None or markdown
            return [(claim.number, claim.text) for claim in document.claims]

        version: str = quillmark.__version__
        kind: str = quillmark.detect_format(xml="<x/>")
        for item in quillmark.read_bulk("ipg180123.zip", jobs=2):
            where: tuple[str, int, int] = (item.source, item.index, item.offset)
            found: quillmark.Document | None = item.document
            error: str | None = item.error
        """,
    )
    assert (status, messages) == (0, [])


def test_mypy_rejects_misuse(tmp_path):
    status, messages = run_mypy(
        tmp_path,
        """
        import quillmark

        document = quillmark.parse("<x/>")
        count: int = document.title
        document.title = "renamed"
        quillmark.parse_to_markdown(b"<x/>")
        document.claims[0].number + "1"
        document.inventors.upper()

        class Special(quillmark.Claim):
            pass
        """,
    )
    assert status == 1
    assert messages == [
        'error: Incompatible types in assignment (expression has type "str | None", variable has type "int")  [assignment]',
        'error: Property "title" defined in "Document" is read-only  [misc]',
        'error: Argument 1 to "parse_to_markdown" has incompatible type "bytes"; expected "str"  [arg-type]',
        'error: Unsupported operand types for + ("int" and "str")  [operator]',
        'error: "list[str]" has no attribute "upper"  [attr-defined]',
        'error: Cannot inherit from final class "Claim"  [misc]',
    ]
