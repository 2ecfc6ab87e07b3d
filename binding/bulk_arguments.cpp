#include "binding/bulk_arguments.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

namespace quillmark {

namespace {

constexpr Py_ssize_t most_jobs = 1024;

std::string prefixed(const char* function, std::string_view message) {
    return std::string(function) + ": " + std::string(message);
}

// The path as the file system's bytes; nothing (an exception set) for an
// argument that is no path.
std::optional<std::string> file_system_path(const char* function, PyObject* path) {
    py::Ref fspath(PyOS_FSPath(path));
    if (!fspath) return std::nullopt;
    py::Ref bytes;
    if (PyUnicode_Check(fspath.get()))
        bytes = py::Ref(PyUnicode_EncodeFSDefault(fspath.get()));
    else
        bytes = py::Ref(Py_NewRef(fspath.get()));
    if (!bytes) return std::nullopt;
    char* data = nullptr;
    Py_ssize_t size = 0;
    if (PyBytes_AsStringAndSize(bytes.get(), &data, &size) < 0) return std::nullopt;
    std::string text(data, static_cast<std::size_t>(size));
    if (text.find('\0') != std::string::npos) {
        py::raise_value_error(prefixed(function, "embedded null character in path"));
        return std::nullopt;
    }
    return text;
}

// A path that cannot be opened is an OSError before anything is read.
bool can_open(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return false;
    if (S_ISDIR(status.st_mode)) {
        DIR* directory = ::opendir(path.c_str());
        if (!directory) return false;
        ::closedir(directory);
        return true;
    }
    // Not blocking: a named pipe opens before its writer does.
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0) return false;
    ::close(descriptor);
    return true;
}

// An offset of a byte range: an int from 0 on; nothing for a negative one
// or one past 64 bits, and for what is no int (an exception set).
std::optional<std::uint64_t> offset_of(PyObject* value) {
    py::Ref number(PyNumber_Index(value));
    if (!number) return std::nullopt;
    const unsigned long long offset = PyLong_AsUnsignedLongLong(number.get());
    if (offset == static_cast<unsigned long long>(-1) && PyErr_Occurred()) {
        if (!PyErr_ExceptionMatches(PyExc_OverflowError)) return std::nullopt;
        PyErr_Clear();
        return std::nullopt;
    }
    return offset;
}

bool byte_range_argument(const char* function, PyObject* value, const std::string& path,
                         const bulk::InputList& inputs, std::optional<bulk::ByteRange>& range) {
    if (value == Py_None) return true;
    if ((!PyTuple_Check(value) && !PyList_Check(value)) || PySequence_Size(value) != 2) {
        PyErr_Format(PyExc_TypeError, "%s: byte_range must be a (start, stop) pair of byte offsets", function);
        return false;
    }
    std::optional<std::uint64_t> bounds[2];
    for (Py_ssize_t i = 0; i < 2; ++i) {
        py::Ref item(PySequence_GetItem(value, i));
        if (!item) return false;
        bounds[i] = offset_of(item.get());
        if (PyErr_Occurred()) return false;
    }
    if (!bounds[0] || !bounds[1] || *bounds[1] < *bounds[0]) {
        py::raise_value_error(prefixed(function, "byte_range must be (start, stop) with 0 <= start <= stop"));
        return false;
    }
    struct stat status {};
    if (inputs.files.size() != 1 || inputs.files[0].archive || ::stat(path.c_str(), &status) != 0 ||
        !S_ISREG(status.st_mode)) {
        py::raise_value_error(prefixed(function, "byte_range applies to one uncompressed file, not to an archive, a "
                                                 "directory or a pipe"));
        return false;
    }
    range = bulk::ByteRange{*bounds[0], *bounds[1]};
    return true;
}

}  // namespace

std::optional<BulkArguments> bulk_arguments(const char* function, PyObject* path, Py_ssize_t jobs,
                                            Py_ssize_t largest, PyObject* byte_range) {
    if (jobs < 1 || jobs > most_jobs) {
        py::raise_value_error(prefixed(function, "jobs must be from 1 to " + std::to_string(most_jobs)));
        return std::nullopt;
    }
    if (largest < 1 || static_cast<std::size_t>(largest) > bulk::largest_document) {
        py::raise_value_error(prefixed(function, "max_document_size must be from 1 to " +
                                                     std::to_string(bulk::largest_document) + " bytes"));
        return std::nullopt;
    }
    const std::optional<std::string> name = file_system_path(function, path);
    if (!name) return std::nullopt;
    if (!can_open(*name)) {
        PyErr_SetFromErrnoWithFilenameObject(PyExc_OSError, path);
        return std::nullopt;
    }
    BulkArguments arguments;
    // "-" names standard input to the command; here it is a file.
    arguments.inputs = bulk::expand_inputs({*name == "-" ? "./-" : *name});
    if (!byte_range_argument(function, byte_range, *name, arguments.inputs, arguments.settings.byte_range))
        return std::nullopt;
    arguments.settings.jobs = static_cast<unsigned>(jobs);
    arguments.settings.largest = static_cast<std::size_t>(largest);
    arguments.settings.limit_name = "max_document_size";
    return arguments;
}

}  // namespace quillmark
