// The --template file: read and checked before anything is converted.
#pragma once

#include <string>
#include <variant>

namespace quillmark::cli {

struct TemplateFileError {
    std::string message;
};

// A template is a text of a few lines: anything but a regular file of at most
// 1 MiB is refused before it is read (a directory, a device, a FIFO), and
// what is read must be UTF-8 and a valid section template.
std::variant<std::string, TemplateFileError> read_template_file(const std::string& path);

}  // namespace quillmark::cli
