// read_bulk and its iterator. The iterator owns a ParsedStream, started by
// the first step: its threads read and parse outside the interpreter lock,
// and each step waits for the next item with the lock released, taking it
// back every tenth of a second to let signal handlers (Ctrl-C) run. One step
// at a time: a second thread stepping the same iterator meanwhile gets a
// ValueError, as a running generator gives. Dropping the iterator, or
// exhausting it, stops the threads and frees what they hold. A process made
// by fork() has none of the threads its parent started: there the iterator
// refuses to go on, and dropping it leaves the parent's memory alone.
#include "binding/bulk_reader.hpp"

#include <unistd.h>

#include <exception>
#include <system_error>

#include "binding/bulk_arguments.hpp"
#include "binding/bulk_item_type.hpp"
#include "bulk/parsed_stream.hpp"

namespace quillmark {

namespace {

constexpr std::chrono::milliseconds signal_check_interval{100};

struct BulkReaderObject {
    PyObject_HEAD
    bulk::ParsedStream* stream;  // nullptr once exhausted
    pid_t started_by;            // the process whose threads run the stream; 0 before the first step
    bool stepping;               // a step is under way, waiting with the lock released
};

PyObject* bulk_reader_type = nullptr;

BulkReaderObject& as_reader(PyObject* self) { return *reinterpret_cast<BulkReaderObject*>(self); }

bool started_elsewhere(const BulkReaderObject& reader) {
    return reader.started_by != 0 && reader.started_by != ::getpid();
}

// Stopping waits for the threads: a parse under way ends first. In a child
// of fork() the threads and the locks they held are the parent's: the
// stream is left as it is, its memory a copy that the child never touches.
void end_stream(BulkReaderObject& reader) {
    bulk::ParsedStream* stream = reader.stream;
    reader.stream = nullptr;
    if (started_elsewhere(reader)) return;
    Py_BEGIN_ALLOW_THREADS
    delete stream;
    Py_END_ALLOW_THREADS
}

void bulk_reader_dealloc(PyObject* self) {
    end_stream(as_reader(self));
    PyTypeObject* type = Py_TYPE(self);
    auto free_object = reinterpret_cast<freefunc>(PyType_GetSlot(type, Py_tp_free));
    free_object(self);
    Py_DECREF(type);
}

// The stream has ended: exhausted, or stopped by a failure of its own.
PyObject* finish(BulkReaderObject& reader) {
    const std::string failure = reader.stream->failure();
    end_stream(reader);
    if (failure.empty()) return nullptr;  // StopIteration
    PyErr_Format(PyExc_RuntimeError, "read_bulk stopped: %s", failure.c_str());
    return nullptr;
}

PyObject* step(BulkReaderObject& reader) {
    if (reader.started_by == 0) reader.started_by = ::getpid();
    while (reader.stream) {
        bulk::ParsedItem item;
        bulk::ParsedStream::Wait state{};
        std::exception_ptr start_failure;  // the lock is taken back before it goes on
        Py_BEGIN_ALLOW_THREADS
        try {
            state = reader.stream->next(item, signal_check_interval);
        } catch (...) {
            start_failure = std::current_exception();
        }
        Py_END_ALLOW_THREADS
        if (start_failure) {
            end_stream(reader);
            try {
                std::rethrow_exception(start_failure);
            } catch (const std::system_error& error) {
                PyErr_Format(PyExc_RuntimeError, "read_bulk: cannot start its threads: %s", error.what());
                return nullptr;
            }
        }
        if (state == bulk::ParsedStream::Wait::Ready) return new_bulk_item(std::move(item));
        if (state == bulk::ParsedStream::Wait::Finished) return finish(reader);
        if (PyErr_CheckSignals() < 0) return nullptr;
    }
    return nullptr;  // StopIteration
}

PyObject* bulk_reader_next(PyObject* self) {
    BulkReaderObject& reader = as_reader(self);
    // Before the check of a step under way: the parent may have been in one.
    if (started_elsewhere(reader)) {
        PyErr_SetString(PyExc_RuntimeError,
                        "read_bulk: this iterator was started in another process; a child made by fork() "
                        "cannot go on with it (call read_bulk again in the child)");
        return nullptr;
    }
    if (reader.stepping) {
        PyErr_SetString(PyExc_ValueError, "read_bulk iterator already executing");
        return nullptr;
    }
    reader.stepping = true;
    struct StepEnd {
        BulkReaderObject& reader;
        ~StepEnd() { reader.stepping = false; }
    } step_end{reader};
    return step(reader);
}

PyType_Slot bulk_reader_slots[] = {
    {Py_tp_doc, const_cast<char*>("The publications of a bulk file, archive or directory, in file order.")},
    {Py_tp_dealloc, reinterpret_cast<void*>(bulk_reader_dealloc)},
    {Py_tp_iter, reinterpret_cast<void*>(PyObject_SelfIter)},
    {Py_tp_iternext, reinterpret_cast<void*>(py::guarded<bulk_reader_next>)},
    {0, nullptr},
};

PyType_Spec bulk_reader_spec = {"quillmark.BulkReader", sizeof(BulkReaderObject), 0, Py_TPFLAGS_DEFAULT,
                                bulk_reader_slots};

PyObject* new_reader(bulk::InputList inputs, bulk::PipelineSettings settings) {
    // Nothing starts until the first step.
    auto stream = std::make_unique<bulk::ParsedStream>(std::move(inputs), std::move(settings));
    auto* type = reinterpret_cast<PyTypeObject*>(bulk_reader_type);
    auto alloc = reinterpret_cast<allocfunc>(PyType_GetSlot(type, Py_tp_alloc));
    PyObject* object = alloc(type, 0);
    if (!object) return nullptr;
    BulkReaderObject& reader = as_reader(object);
    reader.stream = stream.release();
    reader.started_by = 0;
    reader.stepping = false;
    return object;
}

}  // namespace

bool add_bulk_types(PyObject* module) {
    bulk_reader_type = PyType_FromSpec(&bulk_reader_spec);
    if (!bulk_reader_type) return false;
    PyObject* item = create_bulk_item_type();
    return item && PyModule_AddObjectRef(module, "BulkItem", item) == 0;
}

PyObject* read_bulk(PyObject*, PyObject* args, PyObject* kwargs) {
    static char* keywords[] = {const_cast<char*>("path"), const_cast<char*>("jobs"),
                               const_cast<char*>("max_document_size"), const_cast<char*>("byte_range"), nullptr};
    PyObject* path_argument = nullptr;
    Py_ssize_t jobs = 1;
    Py_ssize_t largest = static_cast<Py_ssize_t>(bulk::default_document_limit);
    PyObject* byte_range = Py_None;
    if (!PyArg_ParseTupleAndKeywords(args, kwargs, "O|$nnO:read_bulk", keywords, &path_argument, &jobs, &largest,
                                     &byte_range))
        return nullptr;
    auto arguments = bulk_arguments("read_bulk", path_argument, jobs, largest, byte_range);
    if (!arguments) return nullptr;
    return new_reader(std::move(arguments->inputs), std::move(arguments->settings));
}

}  // namespace quillmark
