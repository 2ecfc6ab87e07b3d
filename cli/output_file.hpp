// The low level of writing outputs: files created without following links,
// and records written whole, unbuffered, so that a failed write is the
// failure of the record that made it.
#pragma once

#include <string>
#include <string_view>

namespace quillmark::cli {

// The exit status of a command whose standard output was closed by its
// reader, the status a shell shows for a process killed by SIGPIPE.
constexpr int closed_output_status = 141;

struct CreatedFile {
    int descriptor = -1;
    std::string error;  // why it could not be created, when descriptor is -1
};

// Creates the file, or empties an existing regular file, for writing. A
// symbolic link in its place is never followed, and nothing but a regular
// file is written to: a named pipe, a device or a socket there is refused
// with a message that names it.
CreatedFile create_output_file(const std::string& path);

// Writes all of `text`. Returns 0, or the errno of the failure.
int write_text(int descriptor, std::string_view text);

struct RecordWritten {
    int error = 0;  // 0, or the errno of the failure
    // The output is a regular file that could not be cut back to before
    // the failed record, so it ends in part of it.
    bool part_left = false;
};

// Writes `record` and a line feed, all of it. When that fails on a regular
// file, the file is cut back to where the record began, so it holds whole
// records only.
RecordWritten write_record(int descriptor, std::string_view record);

}  // namespace quillmark::cli
