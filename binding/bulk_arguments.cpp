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

// (start, stop) as two non-negative integers, start <= stop.
std::optional<bulk::ByteRange> byte_range_of(const char* function, PyObject* argument) {
    const std::string expected = prefixed(function, "byte_range must be None or (start, stop), two integers with 0 <= start <= stop");
    py::Ref items(PySequence_Check(argument) && !PyUnicode_Check(argument) ? PySequence_Tuple(argument) : nullptr);
    if (!items || PyTuple_Size(items.get()) != 2) {
        PyErr_Clear();
        PyErr_SetString(PyExc_TypeError, expected.c_str());
        return std::nullopt;
    }
    unsigned long long bounds[2];
    for (Py_ssize_t i = 0; i < 2; ++i) {
        PyObject* bound = PyTuple_GetItem(items.get(), i);
        if (!PyLong_Check(bound)) {
            PyErr_SetString(PyExc_TypeError, expected.c_str());
            return std::nullopt;
        }
        bounds[i] = PyLong_AsUnsignedLongLong(bound);
        if (PyErr_Occurred()) {
            PyErr_Clear();
            py::raise_value_error(expected);
            return std::nullopt;
        }
    }
    if (bounds[0] > bounds[1]) {
        py::raise_value_error(expected);
        return std::nullopt;
    }
    return bulk::ByteRange{bounds[0], bounds[1]};
}

}  // namespace

std::optional<bulk::PipelineSettings> pipeline_settings(const char* function, Py_ssize_t jobs, Py_ssize_t largest,
                                                        PyObject* byte_range) {
    if (jobs < 1 || jobs > most_jobs) {
        py::raise_value_error(prefixed(function, "jobs must be from 1 to " + std::to_string(most_jobs)));
        return std::nullopt;
    }
    if (largest < 1 || static_cast<std::size_t>(largest) > bulk::largest_document) {
        py::raise_value_error(prefixed(function, "max_document_size must be from 1 to " +
                                                     std::to_string(bulk::largest_document) + " bytes"));
        return std::nullopt;
    }
    bulk::PipelineSettings settings;
    settings.jobs = static_cast<unsigned>(jobs);
    settings.largest = static_cast<std::size_t>(largest);
    settings.limit_name = "max_document_size";
    if (byte_range != Py_None) {
        settings.byte_range = byte_range_of(function, byte_range);
        if (!settings.byte_range) return std::nullopt;
    }
    return settings;
}

std::optional<bulk::InputList> bulk_inputs(const char* function, PyObject* path,
                                           const std::optional<bulk::ByteRange>& range) {
    const std::optional<std::string> name = file_system_path(function, path);
    if (!name) return std::nullopt;
    if (!can_open(*name)) {
        PyErr_SetFromErrnoWithFilenameObject(PyExc_OSError, path);
        return std::nullopt;
    }
    // "-" names standard input to the command; here it is a file.
    struct stat status {};
    const bool directory = ::stat(name->c_str(), &status) == 0 && S_ISDIR(status.st_mode);
    bulk::InputList inputs = bulk::expand_inputs({*name == "-" ? "./-" : *name});
    if (range && (directory || inputs.files.size() != 1 || inputs.files.front().archive)) {
        py::raise_value_error(prefixed(function, "byte_range needs one uncompressed bulk file, not an archive or a directory"));
        return std::nullopt;
    }
    return inputs;
}

}  // namespace quillmark
