#pragma once

// Names for parameterised cases, so that test listings and ctest say what a
// case is about instead of counting the cases.

#include <QString>

#include <cstddef>
#include <string>
#include <string_view>

namespace testnames {

// ASCII letters and digits are kept, accents are dropped from letters, a
// minus sign before a number is spelt out, and every other run of
// characters becomes one '_'; never empty.
std::string identifier(const QString& text);
std::string identifier(std::string_view utf8);
inline std::string identifier(const char* utf8) { return identifier(std::string_view(utf8)); }

// `name` for the case at `index`, or name_2, name_3 ... when an earlier case
// of the same instantiation already has it.
std::string unique(const std::string& name, std::size_t index);

// The fourth argument of INSTANTIATE_TEST_SUITE_P: `nameOf` gets one case
// and returns any text; the result is made a valid and unique name.
template <class NameOf>
auto caseNames(NameOf nameOf)
{
    return [nameOf](const auto& info) { return unique(identifier(nameOf(info.param)), info.index); };
}

}  // namespace testnames
