#include "bulk/pipeline.hpp"

#include <new>

namespace quillmark::bulk {

std::string stream_error_message(const StreamEnd& end) {
    if (!end.error) return {};
    std::string message = end.error->message;
    if (!end.error->corrupt || end.documents == 0) return message;
    return message + "; the " + std::to_string(end.documents) + (end.documents == 1 ? " document" : " documents") +
           " yielded from it before this item came from corrupt data";
}

std::string caught_message() noexcept {
    // Short enough to need no allocation, so it can always be made.
    constexpr const char* out_of_memory = "out of memory";
    try {
        throw;
    } catch (const std::bad_alloc&) {
        return out_of_memory;
    } catch (const std::exception& error) {
        try {
            return std::string("internal error: ") + error.what();
        } catch (...) {
            return out_of_memory;
        }
    } catch (...) {
        return "internal error";
    }
}

std::size_t pipeline_window(unsigned jobs) { return 8 * std::size_t{jobs} + 8; }

}  // namespace quillmark::bulk
