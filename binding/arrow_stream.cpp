// The stream object of read_bulk_arrow and the Arrow C stream it exports.
// The record batches are made on the bulk pipeline's threads; the thread
// that calls get_next only takes finished ones, waiting with the
// interpreter lock released and taking it back every tenth of a second to
// let signal handlers (Ctrl-C) run, as read_bulk's iterator does. The
// stream can be exported once; releasing it (the consumer has read it, or
// has dropped it early) stops the threads. A process made by fork() has
// none of the threads its parent started: there the stream refuses to go
// on, and releasing it leaves the parent's memory alone.
#include "binding/arrow_stream.hpp"

#include <unistd.h>

#include <cerrno>
#include <string>
#include <system_error>

#include "binding/record_object.hpp"

namespace quillmark {

namespace {

constexpr std::chrono::milliseconds signal_check_interval{100};
constexpr const char* schema_capsule_name = "arrow_schema";
constexpr const char* stream_capsule_name = "arrow_array_stream";

// What an exported ArrowArrayStream owns.
struct StreamState {
    std::unique_ptr<arrow::OwnedSchema> schema;
    std::unique_ptr<arrow::BatchStream> batches;  // nullptr once ended
    pid_t started_by = 0;                         // the process whose threads make the batches
    int error = 0;                                // the errno of the call that failed; it stays
    std::string message;
};

StreamState& state_of(ArrowArrayStream* stream) { return *static_cast<StreamState*>(stream->private_data); }

bool started_elsewhere(const StreamState& state) { return state.started_by != 0 && state.started_by != ::getpid(); }

// Whether the calling thread is one of the interpreter's. A consumer may
// call the stream from threads of its own (DuckDB does), which must never
// wait for the interpreter lock: its holder may be waiting for them.
bool interpreter_thread() { return Py_IsInitialized() && PyGILState_GetThisThreadState() != nullptr; }

// Stopping waits for the threads: a document under way ends first, with
// the interpreter lock released if this thread may hold it.
void end_batches(StreamState& state) {
    std::unique_ptr<arrow::BatchStream> batches = std::move(state.batches);
    if (started_elsewhere(state)) {
        (void)batches.release();  // the parent's; never touched here
        return;
    }
    if (!batches) return;
    if (!interpreter_thread()) {
        batches.reset();
        return;
    }
    PyGILState_STATE lock = PyGILState_Ensure();
    Py_BEGIN_ALLOW_THREADS
    batches.reset();
    Py_END_ALLOW_THREADS
    PyGILState_Release(lock);
}

int fail(StreamState& state, int error, std::string message) {
    state.error = error;
    state.message = std::move(message);
    end_batches(state);
    return error;
}

int get_schema(ArrowArrayStream* stream, ArrowSchema* out) {
    StreamState& state = state_of(stream);
    const ArrowErrorCode code = ArrowSchemaDeepCopy(state.schema->get(), out);
    if (code != NANOARROW_OK) state.message = "out of memory";
    return code;
}

// A signal handler raised an exception while the stream waited. The
// consumer turns the error into an exception of its own, which would
// replace the handler's: a KeyboardInterrupt is raised again as soon as the
// interpreter can, so Ctrl-C still reads as Ctrl-C.
int interrupted(StreamState& state) {
    const bool keyboard = PyErr_ExceptionMatches(PyExc_KeyboardInterrupt);
    PyErr_Clear();
    if (keyboard) PyErr_SetInterrupt();
    return fail(state, EINTR, keyboard ? "read_bulk_arrow: interrupted (KeyboardInterrupt)"
                                       : "read_bulk_arrow: interrupted by a signal handler's exception");
}

// Waits for the next batch. On one of the interpreter's threads the lock is
// held only between waits, and signals are checked before each wait: a
// consumer that never has to wait still sees Ctrl-C at its next batch.
int wait_for_batch(StreamState& state, ArrowArray* out, bool interpreter) {
    while (true) {
        if (interpreter && PyErr_CheckSignals() < 0) return interrupted(state);
        arrow::OwnedArray batch;
        arrow::BatchStream::Wait wait{};
        std::string start_failure;
        PyThreadState* saved = interpreter ? PyEval_SaveThread() : nullptr;
        try {
            wait = state.batches->next(batch, signal_check_interval);
        } catch (const std::system_error& error) {
            start_failure = error.what();
        }
        if (saved) PyEval_RestoreThread(saved);
        if (!start_failure.empty())
            return fail(state, EAGAIN, "read_bulk_arrow: cannot start its threads: " + start_failure);
        if (wait == arrow::BatchStream::Wait::Ready) {
            ArrowArrayMove(batch.get(), out);
            return 0;
        }
        if (wait == arrow::BatchStream::Wait::Finished) {
            std::string failure = state.batches->failure();
            if (!failure.empty()) return fail(state, EIO, "read_bulk_arrow stopped: " + failure);
            end_batches(state);
            return 0;  // the end: `out` stays released
        }
    }
}

int get_next(ArrowArrayStream* stream, ArrowArray* out) {
    StreamState& state = state_of(stream);
    out->release = nullptr;
    if (state.error) return state.error;
    if (started_elsewhere(state))
        return fail(state, EINVAL,
                    "read_bulk_arrow: this stream was started in another process; a child made by fork() cannot "
                    "go on with it (call read_bulk_arrow again in the child)");
    if (!state.batches) return 0;
    if (state.started_by == 0) state.started_by = ::getpid();
    const bool interpreter = interpreter_thread();
    PyGILState_STATE lock{};
    if (interpreter) lock = PyGILState_Ensure();
    int result;
    try {
        result = wait_for_batch(state, out, interpreter);
    } catch (const std::bad_alloc&) {
        result = fail(state, ENOMEM, "out of memory");
    }
    if (interpreter) PyGILState_Release(lock);
    return result;
}

const char* get_last_error(ArrowArrayStream* stream) {
    const StreamState& state = state_of(stream);
    return state.message.empty() ? nullptr : state.message.c_str();
}

void release(ArrowArrayStream* stream) {
    auto* state = static_cast<StreamState*>(stream->private_data);
    end_batches(*state);
    delete state;
    stream->release = nullptr;
}

// The object before its stream is exported.
struct ArrowStreamObject {
    PyObject_HEAD
    arrow::OwnedSchema* schema;
    StreamState* state;  // nullptr once exported
};

PyObject* arrow_stream_type = nullptr;
constexpr char arrow_stream_name[] = "BulkArrowStream";

ArrowStreamObject& as_stream(PyObject* self) { return *reinterpret_cast<ArrowStreamObject*>(self); }

void arrow_stream_dealloc(PyObject* self) {
    ArrowStreamObject& object = as_stream(self);
    if (object.state) {
        end_batches(*object.state);
        delete object.state;
    }
    delete object.schema;
    PyTypeObject* type = Py_TYPE(self);
    auto free_object = reinterpret_cast<freefunc>(PyType_GetSlot(type, Py_tp_free));
    free_object(self);
    Py_DECREF(type);
}

void release_schema_capsule(PyObject* capsule) {
    auto* schema = static_cast<ArrowSchema*>(PyCapsule_GetPointer(capsule, schema_capsule_name));
    if (!schema) return PyErr_Clear();
    if (schema->release) schema->release(schema);
    delete schema;
}

void release_stream_capsule(PyObject* capsule) {
    auto* stream = static_cast<ArrowArrayStream*>(PyCapsule_GetPointer(capsule, stream_capsule_name));
    if (!stream) return PyErr_Clear();
    if (stream->release) stream->release(stream);
    delete stream;
}

PyObject* arrow_c_schema(PyObject* self, PyObject*) {
    auto schema = std::make_unique<ArrowSchema>();
    if (ArrowSchemaDeepCopy(as_stream(self).schema->get(), schema.get()) != NANOARROW_OK) return PyErr_NoMemory();
    PyObject* capsule = PyCapsule_New(schema.get(), schema_capsule_name, release_schema_capsule);
    if (!capsule) {
        schema->release(schema.get());
        return nullptr;
    }
    (void)schema.release();
    return capsule;
}

// The requested schema is a hint the protocol lets a producer pass over:
// the columns are what they are.
PyObject* arrow_c_stream(PyObject* self, PyObject* args, PyObject* kwargs) {
    static char* keywords[] = {const_cast<char*>("requested_schema"), nullptr};
    PyObject* requested = Py_None;
    if (!PyArg_ParseTupleAndKeywords(args, kwargs, "|O:__arrow_c_stream__", keywords, &requested)) return nullptr;
    ArrowStreamObject& object = as_stream(self);
    if (!object.state) {
        PyErr_SetString(PyExc_ValueError,
                        "read_bulk_arrow: the stream has already been exported; call read_bulk_arrow again to read "
                        "the files again");
        return nullptr;
    }
    auto stream = std::make_unique<ArrowArrayStream>();
    stream->get_schema = get_schema;
    stream->get_next = get_next;
    stream->get_last_error = get_last_error;
    stream->release = release;
    stream->private_data = object.state;
    PyObject* capsule = PyCapsule_New(stream.get(), stream_capsule_name, release_stream_capsule);
    if (!capsule) return nullptr;  // the object keeps its state
    object.state = nullptr;
    (void)stream.release();
    return capsule;
}

PyCFunction as_cfunction(PyObject* (*function)(PyObject*, PyObject*, PyObject*)) {
    return reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(function));
}

PyMethodDef arrow_stream_methods[] = {
    {"__arrow_c_schema__", py::guarded<arrow_c_schema>, METH_NOARGS,
     "__arrow_c_schema__($self, /)\n--\n\nThe schema of the record batches, as an \"arrow_schema\" PyCapsule."},
    {"__arrow_c_stream__", as_cfunction(py::guarded<arrow_c_stream>), METH_VARARGS | METH_KEYWORDS,
     "__arrow_c_stream__($self, /, requested_schema=None)\n--\n\n"
     "The record batches, as an \"arrow_array_stream\" PyCapsule; once only."},
    {nullptr, nullptr, 0, nullptr},
};

PyType_Slot arrow_stream_slots[] = {
    {Py_tp_doc, const_cast<char*>("The publications of bulk files as Arrow record batches, in file order: read it\n"
                                  "with pyarrow.RecordBatchReader.from_stream(), pyarrow.table(), polars or\n"
                                  "DuckDB, once.")},
    {Py_tp_new, reinterpret_cast<void*>(refuse_construction<arrow_stream_name>)},
    {Py_tp_dealloc, reinterpret_cast<void*>(arrow_stream_dealloc)},
    {Py_tp_methods, arrow_stream_methods},
    {0, nullptr},
};

PyType_Spec arrow_stream_spec = {"quillmark.BulkArrowStream", sizeof(ArrowStreamObject), 0, Py_TPFLAGS_DEFAULT,
                                 arrow_stream_slots};

}  // namespace

bool add_arrow_stream_type(PyObject* module) {
    arrow_stream_type = PyType_FromSpec(&arrow_stream_spec);
    return arrow_stream_type && PyModule_AddObjectRef(module, "BulkArrowStream", arrow_stream_type) == 0;
}

PyObject* new_arrow_stream(std::unique_ptr<arrow::OwnedSchema> schema, std::unique_ptr<arrow::BatchStream> batches) {
    auto stream_schema = std::make_unique<arrow::OwnedSchema>();
    if (ArrowSchemaDeepCopy(schema->get(), stream_schema->get()) != NANOARROW_OK) return PyErr_NoMemory();
    auto state = std::make_unique<StreamState>(StreamState{std::move(stream_schema), std::move(batches), 0, 0, {}});
    auto* type = reinterpret_cast<PyTypeObject*>(arrow_stream_type);
    auto alloc = reinterpret_cast<allocfunc>(PyType_GetSlot(type, Py_tp_alloc));
    PyObject* object = alloc(type, 0);
    if (!object) return nullptr;
    as_stream(object).schema = schema.release();
    as_stream(object).state = state.release();
    return object;
}

}  // namespace quillmark
