#pragma once

#include <string>
#include <string_view>
#include <type_traits>

#include "platform/text.h"
#include "common/run_options.h"

namespace velkaro::test {

inline std::string FieldText(std::string_view s) {
    return std::string(s);
}
template <std::size_t N>
std::string FieldText(const Text<N>& t) {
    return std::string(t.View());
}
template <typename E>
std::string FieldText(const Keyword<E>& option) {
    return std::string(option.View());
}
template <typename T>
requires std::is_arithmetic_v<T> std::string FieldText(T value) {
    return std::to_string(value);
}

// Values joined by "|": several fields of a record checked in one comparison that prints
// readably when it fails.
template <typename... T>
std::string Fields(const T&... values) {
    std::string out;
    ((out += FieldText(values) + "|"), ...);
    if (!out.empty()) out.pop_back();
    return out;
}

}  // namespace velkaro::test
