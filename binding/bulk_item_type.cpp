// The BulkItem class: where a document was found, and the Document parsed
// from it or the error that stopped it.
#include "binding/bulk_item_type.hpp"

#include "binding/record_object.hpp"
#include "binding/repr.hpp"
#include "binding/types.hpp"

namespace quillmark {

namespace {

constexpr char bulk_item_name[] = "BulkItem";

struct BulkItemObject {
    PyObject_HEAD
    std::string* source;
    std::size_t index;
    std::uint64_t offset;
    PyObject* document;  // a Document, or None
    std::string* error;  // absent for a parsed document
};

PyObject* bulk_item_type = nullptr;

BulkItemObject& as_item(PyObject* self) { return *reinterpret_cast<BulkItemObject*>(self); }

void bulk_item_dealloc(PyObject* self) {
    BulkItemObject& item = as_item(self);
    delete item.source;
    delete item.error;
    Py_XDECREF(item.document);
    PyTypeObject* type = Py_TYPE(self);
    auto free_object = reinterpret_cast<freefunc>(PyType_GetSlot(type, Py_tp_free));
    free_object(self);
    Py_DECREF(type);
}

// As os.fsdecode gives a file name: bytes that are not UTF-8 as \udcXX.
PyObject* get_source(PyObject* self, void*) {
    const std::string& source = *as_item(self).source;
    return PyUnicode_DecodeFSDefaultAndSize(source.data(), static_cast<Py_ssize_t>(source.size()));
}
PyObject* get_index(PyObject* self, void*) { return PyLong_FromSize_t(as_item(self).index); }
PyObject* get_offset(PyObject* self, void*) { return PyLong_FromUnsignedLongLong(as_item(self).offset); }
PyObject* get_document(PyObject* self, void*) { return Py_NewRef(as_item(self).document); }
PyObject* get_error(PyObject* self, void*) {
    const std::string* error = as_item(self).error;
    if (!error) Py_RETURN_NONE;
    return py::new_str(*error);
}

PyObject* bulk_item_repr(PyObject* self) {
    const BulkItemObject& item = as_item(self);
    std::string text = "BulkItem(source=";
    append_quoted(text, *item.source);
    text += ", index=" + std::to_string(item.index) + ", offset=" + std::to_string(item.offset);
    if (item.error) {
        text += ", error=";
        append_quoted(text, *item.error);
        return py::new_str(text + ')');
    }
    py::Ref document(PyObject_Repr(item.document));
    if (!document) return nullptr;
    Py_ssize_t size = 0;
    const char* shown = PyUnicode_AsUTF8AndSize(document.get(), &size);
    if (!shown) return nullptr;
    text += ", document=";
    text.append(shown, static_cast<std::size_t>(size));
    return py::new_str(text + ')');
}

PyGetSetDef bulk_item_getset[] = {
    {"source", get_source, nullptr, nullptr, nullptr},
    {"index", get_index, nullptr, nullptr, nullptr},
    {"offset", get_offset, nullptr, nullptr, nullptr},
    {"document", get_document, nullptr, nullptr, nullptr},
    {"error", get_error, nullptr, nullptr, nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

PyType_Slot bulk_item_slots[] = {
    {Py_tp_doc, const_cast<char*>("One publication of a bulk file: its `source` (the file, or FILE!MEMBER),\n"
                                  "`index` (1-based within it; 0 for an error of the file or member itself),\n"
                                  "`offset` (the byte where it starts), and the parsed `document` or the\n"
                                  "`error` that stopped it.")},
    {Py_tp_new, reinterpret_cast<void*>(refuse_construction<bulk_item_name>)},
    {Py_tp_dealloc, reinterpret_cast<void*>(bulk_item_dealloc)},
    {Py_tp_repr, reinterpret_cast<void*>(py::guarded<bulk_item_repr>)},
    {Py_tp_getset, bulk_item_getset},
    {0, nullptr},
};

PyType_Spec bulk_item_spec = {"quillmark.BulkItem", sizeof(BulkItemObject), 0, Py_TPFLAGS_DEFAULT,
                              bulk_item_slots};

}  // namespace

PyObject* create_bulk_item_type() {
    bulk_item_type = PyType_FromSpec(&bulk_item_spec);
    return bulk_item_type;
}

PyObject* new_bulk_item(bulk::ParsedItem result) {
    py::Ref document;
    if (result.document)
        document = py::Ref(new_document_object(std::move(*result.document), std::move(result.summary)));
    else
        document = py::Ref(Py_NewRef(Py_None));
    if (!document) return nullptr;
    // Everything that can throw comes before the object exists.
    auto source = std::make_unique<std::string>(result.source->display);
    std::unique_ptr<std::string> error;
    if (!result.document) error = std::make_unique<std::string>(std::move(result.error));
    auto* type = reinterpret_cast<PyTypeObject*>(bulk_item_type);
    auto alloc = reinterpret_cast<allocfunc>(PyType_GetSlot(type, Py_tp_alloc));
    PyObject* object = alloc(type, 0);
    if (!object) return nullptr;
    BulkItemObject& item = as_item(object);
    item.source = source.release();
    item.index = result.index;
    item.offset = result.offset;
    item.document = document.release();
    item.error = error.release();
    return object;
}

}  // namespace quillmark
