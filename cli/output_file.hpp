// The low level of writing outputs: files created without following links,
// and records written whole, unbuffered, so that a failed write is the
// failure of the record that made it.
#pragma once

#include <string>
#include <string_view>

namespace quillmark::cli {

struct CreatedFile {
    int descriptor = -1;
    std::string error;  // why it could not be created, when descriptor is -1
};

// Creates the file, or empties an existing regular file, for writing. A
// symbolic link in its place is never followed, and nothing but a regular
// file is written to.
CreatedFile create_output_file(const std::string& path);

// Writes `record` and a line feed, all of it. Returns 0, or the errno of the
// failure.
int write_record(int descriptor, std::string_view record);

}  // namespace quillmark::cli
