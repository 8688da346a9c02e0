#pragma once

#include <cstddef>
#include <string_view>
#include <type_traits>

// A printf format checked against its arguments while the program compiles: a format that
// printf would read wrongly does not build.

namespace velkaro {

// The functions below are never defined: reached while a format is checked, they stop the
// compilation, and their names say what is wrong.
namespace format_error {
void TooFewArguments();
void TooManyArguments();
void ArgumentDoesNotMatchConversion();
void WidthOrPrecisionIsNotInt();
void UnknownConversion();
void LengthModifierDoesNotFitConversion();
void FlagOrPrecisionMeaninglessForConversion();
void FormatEndsInsideConversion();
void WritingConversionNotAllowed();
}  // namespace format_error

namespace format_detail {

// What an argument is once passed through "...": the types a conversion tells apart.
enum class Arg : unsigned char {
    Int,
    Unsigned,
    Long,
    UnsignedLong,
    LongLong,
    UnsignedLongLong,
    SignedChar,
    UnsignedChar,
    Short,
    UnsignedShort,
    Char,
    Double,  // float too: it reaches printf as a double
    LongDouble,
    CString,
    Pointer,
    Other,  // no conversion takes it: a class, an enumeration, bool
};

template <typename T, typename... List>
consteval int IndexIn() {
    int i = 0;
    bool found = ((++i, std::is_same_v<T, List>) || ...);
    return found ? i - 1 : -1;
}

template <typename T>
consteval Arg KindOf() {
    // In the order of Arg.
    constexpr int i =
        IndexIn<T, int, unsigned, long, unsigned long, long long, unsigned long long, signed char,
                unsigned char, short, unsigned short, char, double, long double, const char*>();
    if (i >= 0) return static_cast<Arg>(i);
    if (std::is_same_v<T, float>) return Arg::Double;
    if (std::is_same_v<T, char*>) return Arg::CString;
    return std::is_pointer_v<T> ? Arg::Pointer : Arg::Other;
}

enum class Length : unsigned char { None, hh, h, l, ll, z, L };

struct LengthModifier {
    std::string_view text;
    Length length;
};
inline constexpr LengthModifier kLengthModifiers[] = {
    {"hh", Length::hh}, {"h", Length::h}, {"ll", Length::ll},
    {"l", Length::l},   {"z", Length::z}, {"L", Length::L},
};

constexpr bool In(char c, std::string_view set) {
    return c != '\0' && set.find(c) != std::string_view::npos;
}

consteval bool LengthFits(char c, Length n) {
    if (In(c, "diouxX")) return n != Length::L;
    if (In(c, "fFeEgG")) return n == Length::None || n == Length::l || n == Length::L;
    return n == Length::None;  // wide characters have no place in the byte slots
}

// Whether an argument of kind `a` is what conversion `c` with length `n` reads. Without a
// length, an integer conversion takes any type no wider than int of its own signedness.
consteval bool Fits(char c, Length n, Arg a) {
    if (In(c, "fFeEgG")) return a == (n == Length::L ? Arg::LongDouble : Arg::Double);
    if (c == 'c') {
        return a == Arg::Char || a == Arg::SignedChar || a == Arg::UnsignedChar || a == Arg::Int;
    }
    if (c == 's') return a == Arg::CString;
    if (c == 'p') return a == Arg::Pointer || a == Arg::CString;
    bool s = In(c, "di");
    switch (n) {
        case Length::None:
            return s ? a == Arg::Int || a == Arg::Short || a == Arg::SignedChar
                     : a == Arg::Unsigned || a == Arg::UnsignedShort || a == Arg::UnsignedChar;
        case Length::hh:
            return a == (s ? Arg::SignedChar : Arg::UnsignedChar);
        case Length::h:
            return a == (s ? Arg::Short : Arg::UnsignedShort);
        case Length::l:
            return a == (s ? Arg::Long : Arg::UnsignedLong);
        case Length::ll:
            return a == (s ? Arg::LongLong : Arg::UnsignedLongLong);
        case Length::z:
            return a == (s ? KindOf<std::make_signed_t<std::size_t>>() : KindOf<std::size_t>());
        case Length::L:
            return false;
    }
    return false;
}

// Walks the format as printf will, taking one argument kind per '*' and per conversion.
consteval void CheckFormat(const char* f, const Arg* args, std::size_t count) {
    std::size_t next = 0;
    auto take = [&] {
        if (next == count) format_error::TooFewArguments();
        return args[next++];
    };
    auto widthOrPrecision = [&] {
        if (*f != '*') {
            while (In(*f, "0123456789")) ++f;
        } else {
            ++f;
            if (take() != Arg::Int) format_error::WidthOrPrecisionIsNotInt();
        }
    };
    while (*f != '\0') {
        if (*f++ != '%') continue;
        if (*f == '%') {
            ++f;
            continue;
        }
        bool alternate = false;
        bool zero = false;
        for (; In(*f, "-+ #0"); ++f) {
            alternate = alternate || *f == '#';
            zero = zero || *f == '0';
        }
        widthOrPrecision();
        bool precision = *f == '.';
        if (precision) {
            ++f;
            widthOrPrecision();
        }
        Length n = Length::None;
        for (const LengthModifier& m : kLengthModifiers) {
            if (std::string_view(f).starts_with(m.text)) {
                n = m.length;
                f += m.text.size();
                break;
            }
        }

        char c = *f;
        if (c == '\0') format_error::FormatEndsInsideConversion();
        ++f;
        if (c == 'n') format_error::WritingConversionNotAllowed();
        if (!In(c, "diouxXfFeEgGcsp")) format_error::UnknownConversion();
        if (!LengthFits(c, n)) format_error::LengthModifierDoesNotFitConversion();
        // What C leaves undefined: '#' on a decimal or a text, '0' or a precision on a text.
        if ((alternate && In(c, "diucsp")) || (zero && In(c, "csp")) ||
            (precision && In(c, "cp"))) {
            format_error::FlagOrPrecisionMeaninglessForConversion();
        }
        if (!Fits(c, n, take())) format_error::ArgumentDoesNotMatchConversion();
    }
    if (next != count) format_error::TooManyArguments();
}

}  // namespace format_detail

// The one way into printf's variadic call: reached only through a CheckedFormat.
class FormatPrinter {
    template <typename...>
    friend class CheckedFormat;

    // snprintf behind a call the optimiser cannot see through, so that a deliberate cut is not
    // taken for a mistake at the call site.
    static int Bounded(char* buffer, std::size_t size, const char* format, ...);
};

// A format that reads exactly the arguments Args, in order. Built implicitly from a string
// constant; taken by a function as CheckedFormat<std::type_identity_t<Args>...> so that the
// arguments decide Args and the format is checked against them.
template <typename... Args>
class CheckedFormat {
  public:
    consteval CheckedFormat(const char* format) : format_(format) {  // NOLINT: built from literals
        // One kind past the arguments: an array may not be empty.
        constexpr format_detail::Arg kinds[] = {format_detail::KindOf<Args>()...,
                                                format_detail::Arg::Other};
        format_detail::CheckFormat(format, kinds, sizeof...(Args));
    }

    // snprintf into `buffer`: what it returns.
    int Print(char* buffer, std::size_t size, Args... args) const {
        return FormatPrinter::Bounded(buffer, size, format_, args...);
    }

  private:
    const char* format_;
};

}  // namespace velkaro
