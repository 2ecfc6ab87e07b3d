// An optional text for fields that are nearly always absent (namespace
// prefixes, reference targets): one pointer wide instead of the forty bytes
// of std::optional<std::string>, with the same way of use.
#pragma once

#include <memory>
#include <optional>
#include <string>

namespace quillmark {

class OptionalString {
public:
    OptionalString() = default;
    OptionalString(std::nullopt_t) {}
    OptionalString(std::string text) : text_(std::make_unique<std::string>(std::move(text))) {}
    OptionalString(const char* text) : OptionalString(std::string(text)) {}
    OptionalString(const std::optional<std::string>& text) {
        if (text) text_ = std::make_unique<std::string>(*text);
    }
    OptionalString(const OptionalString& other) : OptionalString(other.optional()) {}
    OptionalString(OptionalString&&) noexcept = default;
    OptionalString& operator=(const OptionalString& other) {
        if (this != &other) *this = OptionalString(other);
        return *this;
    }
    OptionalString& operator=(OptionalString&&) noexcept = default;

    bool has_value() const { return text_ != nullptr; }
    explicit operator bool() const { return has_value(); }
    const std::string& operator*() const { return *text_; }
    const std::string* operator->() const { return text_.get(); }
    std::optional<std::string> optional() const {
        if (!text_) return std::nullopt;
        return *text_;
    }

    friend bool operator==(const OptionalString& a, const OptionalString& b) { return a.optional() == b.optional(); }
    friend bool operator==(const OptionalString& a, const std::optional<std::string>& b) { return a.optional() == b; }

private:
    std::unique_ptr<std::string> text_;
};

}  // namespace quillmark
