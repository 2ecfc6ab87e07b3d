#include "model/record/person_name.hpp"

#include "model/text/text.hpp"

namespace quillmark {

OptionalText person_name(const Person& person) {
    std::string joined;
    for (const OptionalText* part : {&person.given_name, &person.middle_name, &person.family_name, &person.suffix})
        if (*part) append_word(joined, trim(**part));
    if (joined.empty()) return std::nullopt;
    return joined;
}

}  // namespace quillmark
