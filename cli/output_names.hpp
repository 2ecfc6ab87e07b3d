// File names for the outputs of one run: safe on any file system, inside the
// output directory, and never handed out twice.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace quillmark::cli {

// `text` with every byte outside A-Z, a-z, 0-9, '-', '_' and '.' replaced by
// '_', a leading '.' replaced too (no hidden files, no "..") and cut to a
// length every file system takes.
std::string safe_file_stem(std::string_view text);

class OutputNames {
public:
    // `stem` + `extension`, or, when a name that differs from it only in
    // letter case was handed out before in this run, the first free of
    // `stem`-2, `stem`-3, ... with the extension.
    std::string claim(std::string_view stem, std::string_view extension);

private:
    std::unordered_set<std::string> taken_;  // lower-cased names
    // Lower-cased stem + extension -> the suffix to try next, so a name met
    // thousands of times costs no more than one met twice.
    std::unordered_map<std::string, unsigned> next_suffix_;
};

}  // namespace quillmark::cli
