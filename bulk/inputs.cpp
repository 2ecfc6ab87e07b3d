#include "bulk/inputs.hpp"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace quillmark::bulk {

namespace fs = std::filesystem;

namespace {

InputFile file_input(const fs::path& path, std::string display) {
    InputFile input;
    input.path = path.string();
    input.display = std::move(display);
    input.stem = path.stem().string();
    input.archive = archive_kind(path.filename().string());
    std::error_code error;
    const auto size = fs::file_size(path, error);
    if (!error) input.size = size;
    return input;
}

InputFile failed_input(std::string display, const std::string& message) {
    InputFile input;
    input.display = std::move(display);
    input.error = message;
    return input;
}

// Collects the files below `directory`; a subdirectory that cannot be read
// is reported and the search goes on with the others. Links to directories
// are not followed, so a link cycle cannot trap the search.
void collect_files(InputList& list, const fs::path& directory, std::vector<fs::path>& found) {
    std::error_code error;
    fs::directory_iterator entries(directory, error);
    for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
        std::error_code type_error;
        if (entries->is_directory(type_error) && !entries->is_symlink(type_error))
            collect_files(list, entries->path(), found);
        else if (!entries->is_regular_file(type_error))
            ++list.skipped;
        else if (is_searched_input_name(entries->path().filename().string()))
            found.push_back(entries->path());
        else
            ++list.skipped;
    }
    if (error) list.files.push_back(failed_input(directory.string(), "cannot read directory: " + error.message()));
}

void add_directory(InputList& list, const std::string& argument) {
    std::vector<fs::path> found;
    collect_files(list, argument, found);
    if (found.empty()) list.files.push_back(failed_input(argument, "no .xml, .txt or .aps files or archives in this directory"));
    std::sort(found.begin(), found.end());
    for (const fs::path& path : found) list.files.push_back(file_input(path, path.string()));
}

}  // namespace

InputList expand_inputs(const std::vector<std::string>& arguments) {
    InputList list;
    for (const std::string& argument : arguments) {
        if (argument == "-") {
            InputFile input;
            input.display = "<stdin>";
            input.stem = "stdin";
            list.files.push_back(std::move(input));
            continue;
        }
        std::error_code error;
        const fs::file_status status = fs::status(argument, error);
        if (error)
            list.files.push_back(failed_input(argument, "cannot open: " + error.message()));
        else if (fs::is_directory(status))
            add_directory(list, argument);
        else
            list.files.push_back(file_input(argument, argument));
    }
    return list;
}

}  // namespace quillmark::bulk
