// Working memory that a thread keeps from one parse to the next. While a
// ParseWorkspace lives on a thread, each parse there leaves its XML tree's
// tables (up to a few megabytes) to the next one, so that a thread parsing
// document after document, as a bulk worker does, allocates them and has
// their pages faulted in once rather than for every document. Without one, a
// parse leaves nothing behind. Workspaces nest; the last to end frees what
// is kept.
#pragma once

namespace quillmark {

class ParseWorkspace {
public:
    ParseWorkspace() noexcept;
    ~ParseWorkspace();
    ParseWorkspace(const ParseWorkspace&) = delete;
    ParseWorkspace& operator=(const ParseWorkspace&) = delete;
};

}  // namespace quillmark
