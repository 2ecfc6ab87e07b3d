// The Document class: a read-only view of one parsed record and its summary.
#include <memory>

#include "binding/citation_type.hpp"
#include "binding/claim_type.hpp"
#include "binding/python_record.hpp"
#include "binding/repr.hpp"
#include "binding/types.hpp"
#include "bulk/document_disposal.hpp"
#include "model/facts/getters.hpp"
#include "render/markdown.hpp"

namespace quillmark {

namespace {

struct DocumentObject {
    PyObject_HEAD
    Document* record;
    DocumentSummary* summary;
};

PyObject* document_type = nullptr;

DocumentObject& as_document(PyObject* self) { return *reinterpret_cast<DocumentObject*>(self); }
const DocumentSummary& summary_of(PyObject* self) { return *as_document(self).summary; }

PyObject* document_new(PyTypeObject*, PyObject*, PyObject*) {
    PyErr_SetString(PyExc_TypeError, "No constructor defined for Document");
    return nullptr;
}

// Freed by a bulk stream's worker when one runs (bulk/document_disposal.hpp).
void document_dealloc(PyObject* self) {
    bulk::drop_document(std::unique_ptr<Document>(as_document(self).record),
                        std::unique_ptr<DocumentSummary>(as_document(self).summary));
    PyTypeObject* type = Py_TYPE(self);
    auto free_object = reinterpret_cast<freefunc>(PyType_GetSlot(type, Py_tp_free));
    free_object(self);
    Py_DECREF(type);
}

// A list of new objects, one per record.
template <class Record>
PyObject* new_object_list(std::vector<Record> records, PyObject* (*new_object)(Record)) {
    py::Ref list(PyList_New(static_cast<Py_ssize_t>(records.size())));
    if (!list) return nullptr;
    for (std::size_t i = 0; i < records.size(); ++i) {
        PyObject* object = new_object(std::move(records[i]));
        if (!object) return nullptr;
        PyList_SetItem(list.get(), static_cast<Py_ssize_t>(i), object);
    }
    return list.release();
}

PyObject* new_value(const OptionalText& text) { return py::new_optional_str(text); }
PyObject* new_value(const std::vector<std::string>& texts) { return py::new_str_list(texts); }
PyObject* new_value(std::string_view name) { return py::new_str(name); }
PyObject* new_value(std::vector<Claim> numbered) { return new_object_list(std::move(numbered), new_claim_object); }
PyObject* new_value(std::vector<Citation> citations) {
    return new_object_list(std::move(citations), new_citation_object);
}

// Every getter of the class: its entry of the table is the closure.
PyObject* get_value(PyObject* self, void* closure) {
    return read_getter(py::entry_of<Getter>(closure), *as_document(self).record, summary_of(self),
                       [](auto&& value) { return new_value(std::forward<decltype(value)>(value)); });
}

PyObject* document_to_markdown(PyObject* self, PyObject* args, PyObject* kwargs) {
    static char* keywords[] = {const_cast<char*>("template"), const_cast<char*>("flavor"), nullptr};
    PyObject* template_text = Py_None;
    PyObject* flavor = Py_None;
    if (!PyArg_ParseTupleAndKeywords(args, kwargs, "|O$O:to_markdown", keywords, &template_text, &flavor))
        return nullptr;
    if (!is_template_argument(template_text, "to_markdown")) return nullptr;
    const auto chosen = flavor_argument(flavor, "to_markdown");
    if (!chosen) return nullptr;
    return render_to_str(*as_document(self).record, template_text, *chosen);
}

PyObject* document_to_dict(PyObject* self, PyObject*) {
    return record_to_python(*as_document(self).record, summary_of(self));
}

void append_field(std::string& out, const OptionalText& value) {
    if (value)
        append_quoted(out, *value);
    else
        out += "None";
}

PyObject* document_repr(PyObject* self) {
    const DocumentSummary& summary = summary_of(self);
    std::string text = "Document(publication_number=";
    append_field(text, summary.publication_number);
    text += ", title=";
    append_field(text, summary.title);
    text += ')';
    return py::new_str(text);
}

constinit auto document_getset = py::read_only_attributes(document_getters, py::guarded<get_value>);

PyMethodDef document_methods[] = {
    {"to_markdown", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(py::guarded<document_to_markdown>)),
     METH_VARARGS | METH_KEYWORDS,
     "to_markdown($self, template=None, *, flavor=None)\n--\n\nRender this document to Markdown, optionally with a section-placeholder\n"
     "template (`{{frontmatter}}`, `{{title}}`, `{{abstract}}`,\n`{{description}}`, `{{claims}}`)."},
    {"to_dict", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(py::guarded<document_to_dict>)), METH_NOARGS,
     "to_dict($self)\n--\n\nThe whole parsed record as plain Python data: every section, bibliographic\n"
     "item, paragraph, heading, claim, inline node and kept XML node with its\n"
     "attributes, in source order, followed by the getters' values under their\n"
     "names."},
    {nullptr, nullptr, 0, nullptr},
};

PyType_Slot document_slots[] = {
    {Py_tp_doc, const_cast<char*>("A parsed patent document: metadata getters plus `claims`, `abstract_text`,\n"
                                  "and `to_markdown(template=None)`.")},
    {Py_tp_new, reinterpret_cast<void*>(document_new)},
    {Py_tp_dealloc, reinterpret_cast<void*>(document_dealloc)},
    {Py_tp_repr, reinterpret_cast<void*>(py::guarded<document_repr>)},
    {Py_tp_getset, document_getset.data()},
    {Py_tp_methods, document_methods},
    {0, nullptr},
};

PyType_Spec document_spec = {"quillmark.Document", sizeof(DocumentObject), 0, Py_TPFLAGS_DEFAULT, document_slots};

}  // namespace

bool create_types(PyObject* module) {
    document_type = PyType_FromSpec(&document_spec);
    if (!document_type) return false;
    PyObject* claim = create_claim_type();
    if (!claim) return false;
    return PyModule_AddObjectRef(module, "Document", document_type) == 0 &&
           PyModule_AddObjectRef(module, "Claim", claim) == 0;
}

bool add_citation_type(PyObject* module) {
    PyObject* citation = create_citation_type();
    return citation && PyModule_AddObjectRef(module, "Citation", citation) == 0;
}

PyObject* new_document_object(Document record) {
    DocumentSummary summary = summarize(record);
    return new_document_object(std::move(record), std::move(summary));
}

PyObject* new_document_object(Document record, DocumentSummary record_summary) {
    auto* type = reinterpret_cast<PyTypeObject*>(document_type);
    auto alloc = reinterpret_cast<allocfunc>(PyType_GetSlot(type, Py_tp_alloc));
    // Everything that can throw comes before the object exists.
    auto summary = std::make_unique<DocumentSummary>(std::move(record_summary));
    auto owned = std::make_unique<Document>(std::move(record));
    PyObject* object = alloc(type, 0);
    if (!object) return nullptr;
    as_document(object).summary = summary.release();
    as_document(object).record = owned.release();
    return object;
}

std::optional<Flavor> flavor_argument(PyObject* flavor, const char* function) {
    if (flavor == Py_None) return Flavor::Default;
    if (!py::is_optional_str(flavor, function, "flavor")) return std::nullopt;
    const auto name = py::utf8_of(flavor);
    if (!name) return std::nullopt;
    const auto named = flavor_named(name->view());
    if (!named) py::raise_value_error(unknown_flavor_message(name->view()));
    return named;
}

bool is_template_argument(PyObject* template_text, const char* function) {
    if (!py::is_optional_str(template_text, function, "template")) return false;
    if (template_text == Py_None) return true;
    const auto text = py::utf8_of(template_text);
    if (!text) return false;
    if (!flavor_named(text->view())) return true;
    const std::string name(text->view());
    py::raise_value_error("template '" + name + "' is the name of a Markdown flavor: pass flavor='" + name +
                          "' to render in it (the template is the second positional argument)");
    return false;
}

PyObject* render_to_str(const Document& record, PyObject* template_text, Flavor flavor) {
    if (template_text == Py_None) return py::new_str(render_markdown(record, flavor));
    const auto text = py::utf8_of(template_text);
    if (!text) return nullptr;
    auto markdown = render_markdown_with_template(record, text->view(), flavor);
    if (!markdown) return py::raise_value_error(markdown.error().message());
    return py::new_str(markdown.value());
}

}  // namespace quillmark
