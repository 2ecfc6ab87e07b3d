// The inputs of a run: files named on the command line, standard input ("-"),
// and the USPTO files and archives found in directories, in sorted path order.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "bulk/input_names.hpp"

namespace quillmark::bulk {

struct InputFile {
    std::string path;     // empty for standard input
    std::string display;  // as shown in reports
    std::string stem;     // file name without its extension, names the outputs
    std::optional<std::uint64_t> size;
    std::optional<ArchiveKind> archive;  // read member by member, by its name
    std::string error;    // why the input cannot be read, when it cannot
};

struct InputList {
    std::vector<InputFile> files;
    std::size_t skipped = 0;  // files in directories that are not USPTO full text by name
};

// Directories are searched recursively for *.xml, *.txt and *.aps files and
// archives (see is_searched_input_name); a file named on the command line is
// read whatever its name, as an archive when its name says it is one.
InputList expand_inputs(const std::vector<std::string>& arguments);

}  // namespace quillmark::bulk
