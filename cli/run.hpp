// Runs a convert or detect command over all its inputs.
#pragma once

#include "cli/options.hpp"

namespace quillmark::cli {

// The exit status: 0 when every document was done, 1 when any failed, 2
// when the options cannot be used (an unreadable or invalid template).
int run_command(const Options& options);

}  // namespace quillmark::cli
