// Front-matter scalars on their own: each value, and how the default layout
// and the gfm flavour write it.
#include <gtest/gtest.h>

#include "render/yaml_scalar.hpp"

namespace quillmark {
namespace {

struct Scalar {
    std::string_view value;
    std::string_view default_layout;
    std::string_view gfm;
};

constexpr Scalar scalars[] = {
    {"Acme Corp.", "Acme Corp.", "Acme Corp."},
    {"", "", "\"\""},
    {"20180123", "20180123", "\"20180123\""},
    {"yes", "yes", "\"yes\""},
    {"No", "No", "\"No\""},
    {"- item", "\"- item\"", "\"- item\""},
    {"key: value", "\"key: value\"", "\"key: value\""},
    {"a #comment", "\"a #comment\"", "\"a #comment\""},
    {"a#b", "a#b", "\"a#b\""},
    {"*alias", "\"*alias\"", "\"*alias\""},
    {"ends:", "\"ends:\"", "\"ends:\""},
    {"say \"hi\"\\", "say \"hi\"\\", "\"say \\\"hi\\\"\\\\\""},
    {"two\nlines", "\"two\\nlines\"", "\"two\\nlines\""},
    {"bell\a", "\"bell\\x07\"", "\"bell\\x07\""},
    {"line\u2028sep", "\"line\\u2028sep\"", "\"line\\u2028sep\""},
    {"c1\u0085", "\"c1\\x85\"", "\"c1\\x85\""},
    {"Smith, J. (Jr.)", "Smith, J. (Jr.)", "Smith, J. (Jr.)"},
    {"M\u00fcller", "M\u00fcller", "\"M\u00fcller\""},
    {"two  spaces", "two  spaces", "\"two  spaces\""},
};

TEST(YamlScalar, EachValueInBothFlavours) {
    for (const Scalar& scalar : scalars) {
        EXPECT_EQ(yaml_scalar(scalar.value), scalar.default_layout) << scalar.value;
        std::string gfm;
        append_yaml_string(gfm, scalar.value);
        EXPECT_EQ(gfm, scalar.gfm) << scalar.value;
    }
}

}  // namespace
}  // namespace quillmark
