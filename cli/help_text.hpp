// What the command prints for --help and after a usage error.
#pragma once

#include <string>
#include <string_view>

#include "cli/options.hpp"

namespace quillmark::cli {

// The usage lines of `command`, of every command for Command::Help.
std::string_view usage_synopsis(Command command);
// The whole help of `command` (Command::Help: the command line's).
std::string help_text(Command command);
// The name under which `command` is typed ("convert"), empty for Help.
std::string_view command_name(Command command);

}  // namespace quillmark::cli
