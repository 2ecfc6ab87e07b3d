// The quillmark module: parse, parse_to_markdown, detect_format, read_bulk,
// the classes (Document, Claim, Citation, BulkItem) and __version__.
#include "binding/bulk_arrow_reader.hpp"
#include "binding/bulk_reader.hpp"
#include "binding/path_hint.hpp"
#include "binding/types.hpp"
#include "source/detect.hpp"
#include "source/parsers.hpp"

namespace quillmark {

namespace {

PyObject* parse(PyObject*, PyObject* args, PyObject* kwargs) {
    static char* keywords[] = {const_cast<char*>("xml"), nullptr};
    PyObject* xml = nullptr;
    if (!PyArg_ParseTupleAndKeywords(args, kwargs, "U:parse", keywords, &xml)) return hint_at_path_object(args, kwargs);
    const auto text = py::utf8_of(xml);
    if (!text) return nullptr;
    auto document = parse_document(text->view());
    if (!document) return raise_parse_failure(text->view(), document.error().message());
    return new_document_object(std::move(document).value());
}

PyObject* parse_to_markdown(PyObject*, PyObject* args, PyObject* kwargs) {
    static char* keywords[] = {const_cast<char*>("xml"), const_cast<char*>("template"), const_cast<char*>("flavor"),
                               nullptr};
    PyObject* xml = nullptr;
    PyObject* template_text = Py_None;
    PyObject* flavor = Py_None;
    if (!PyArg_ParseTupleAndKeywords(args, kwargs, "U|O$O:parse_to_markdown", keywords, &xml, &template_text, &flavor))
        return hint_at_path_object(args, kwargs);
    if (!is_template_argument(template_text, "parse_to_markdown")) return nullptr;
    const auto chosen = flavor_argument(flavor, "parse_to_markdown");
    if (!chosen) return nullptr;
    const auto text = py::utf8_of(xml);
    if (!text) return nullptr;
    auto document = parse_document(text->view());
    if (!document) return raise_parse_failure(text->view(), document.error().message());
    return render_to_str(document.value(), template_text, *chosen);
}

PyObject* detect_format(PyObject*, PyObject* args, PyObject* kwargs) {
    static char* keywords[] = {const_cast<char*>("xml"), nullptr};
    PyObject* xml = nullptr;
    if (!PyArg_ParseTupleAndKeywords(args, kwargs, "U:detect_format", keywords, &xml))
        return hint_at_path_object(args, kwargs);
    const auto text = py::utf8_of(xml);
    if (!text) return nullptr;
    auto format = detect_source_format(text->view());
    if (!format) return raise_parse_failure(text->view(), format.error().message());
    return py::new_str(source_format_name(format.value()));
}

template <class Function>
PyCFunction as_cfunction(Function function) {
    return reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(function));
}

PyMethodDef module_functions[] = {
    {"parse", as_cfunction(py::guarded<parse>), METH_VARARGS | METH_KEYWORDS,
     "parse(xml)\n--\n\nParse USPTO patent XML into a structured [`Document`]."},
    {"parse_to_markdown", as_cfunction(py::guarded<parse_to_markdown>), METH_VARARGS | METH_KEYWORDS,
     "parse_to_markdown(xml, template=None, *, flavor=None)\n--\n\nParse USPTO patent XML and render Markdown in one call."},
    {"detect_format", as_cfunction(py::guarded<detect_format>), METH_VARARGS | METH_KEYWORDS,
     "detect_format(xml)\n--\n\nDetect the USPTO source format of `xml` without a full parse."},
    {"read_bulk", as_cfunction(py::guarded<read_bulk>), METH_VARARGS | METH_KEYWORDS,
     "read_bulk(path, *, jobs=1, max_document_size=536870912, byte_range=None)\n--\n\n"
     "Iterate over the publications of a bulk file, an archive (.zip, .tar,\n"
     ".tar.gz, .tgz, .gz) or a directory of them, in file order: one `BulkItem`\n"
     "per document, parsed on `jobs` threads outside the interpreter lock;\n"
     "with `byte_range=(start, stop)`, only the documents of an uncompressed\n"
     "file whose first byte lies in [start, stop)."},
    {"read_bulk_arrow", as_cfunction(py::guarded<read_bulk_arrow>), METH_VARARGS | METH_KEYWORDS,
     "read_bulk_arrow(path, *, markdown=('default', 'gfm'), jobs=1, batch_size=1024, byte_range=None, "
     "max_document_size=536870912)\n--\n\n"
     "The publications of a bulk file, an archive or a directory as Arrow record\n"
     "batches of `batch_size` rows, in file order: one row per document, with\n"
     "where it was found, its error, every getter and the Markdown of each\n"
     "flavour in `markdown`, all made on `jobs` threads outside the interpreter\n"
     "lock. The object returned implements the Arrow PyCapsule interface: read it\n"
     "once with pyarrow.RecordBatchReader.from_stream(), pyarrow.table(), polars\n"
     "or DuckDB."},
    {nullptr, nullptr, 0, nullptr},
};

constexpr char module_doc[] =
    "USPTO patent full text (application and grant XML of every generation, APS\n"
    "text, sequence listings) as exact structured data and readable Markdown.\n"
    "\n"
    "    text = open(\"US09876543-20180123.XML\", encoding=\"utf-8\").read()\n"
    "    document = quillmark.parse(text)      # .patent_number, .title, .claims ...\n"
    "    markdown = quillmark.parse_to_markdown(text, flavor=\"gfm\")\n"
    "\n"
    "read_bulk(path) reads USPTO's weekly bulk files, archives and directories.";

PyModuleDef module_definition = {
    PyModuleDef_HEAD_INIT, "quillmark", module_doc, -1, module_functions, nullptr, nullptr, nullptr, nullptr,
};

bool add_attributes(PyObject* module) {
    py::Ref all(PyList_New(0));
    if (!all) return false;
    if (!create_types(module)) return false;
    if (PyModule_AddStringConstant(module, "__version__", QUILLMARK_VERSION) < 0) return false;
    if (!add_citation_type(module)) return false;
    if (!add_bulk_types(module)) return false;
    if (!add_bulk_arrow_types(module)) return false;
    for (const char* name : {"parse", "parse_to_markdown", "detect_format", "Document", "Claim", "__version__", "Citation",
                             "read_bulk", "BulkItem", "read_bulk_arrow", "BulkArrowStream"}) {
        py::Ref text(PyUnicode_FromString(name));
        if (!text || PyList_Append(all.get(), text.get()) < 0) return false;
    }
    return PyModule_AddObjectRef(module, "__all__", all.get()) == 0;
}

}  // namespace

}  // namespace quillmark

PyMODINIT_FUNC PyInit_quillmark() {
    quillmark::py::Ref module(PyModule_Create(&quillmark::module_definition));
    if (!module) return nullptr;
    if (!quillmark::add_attributes(module.get())) return nullptr;
    return module.release();
}
