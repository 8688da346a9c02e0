// Never built: cmake/CheckFormatRejects.cmake compiles this file and expects each line marked
// "rejected:" to fail with the error it names, and every other line to compile.
#include <cstddef>

#include "platform/text.h"

namespace velkaro {

void Formats() {
    Text<32> t;
    long wide = 0;
    int count = 0;
    Format(t, "%d:%02d", 1, 2);
    Format(t, "%d %d", 1);                // rejected: TooFewArguments
    Format(t, "%ds");                     // rejected: TooFewArguments
    Format(t, "%d", 1, 2);                // rejected: TooManyArguments
    Format(t, "%d", wide);                // rejected: ArgumentDoesNotMatchConversion
    Format(t, "%lld", wide);              // rejected: ArgumentDoesNotMatchConversion
    Format(t, "%u", 1);                   // rejected: ArgumentDoesNotMatchConversion
    Format(t, "%d", 1u);                  // rejected: ArgumentDoesNotMatchConversion
    Format(t, "%zu", 1u);                 // rejected: ArgumentDoesNotMatchConversion
    Format(t, "%f", 1);                   // rejected: ArgumentDoesNotMatchConversion
    Format(t, "%d", 1.0);                 // rejected: ArgumentDoesNotMatchConversion
    Format(t, "%s", 'c');                 // rejected: ArgumentDoesNotMatchConversion
    Format(t, "%c", "c");                 // rejected: ArgumentDoesNotMatchConversion
    Format(t, "%d", true);                // rejected: ArgumentDoesNotMatchConversion
    Format(t, "%*d", std::size_t{3}, 1);  // rejected: WidthOrPrecisionIsNotInt
    Format(t, "%.*s", 2L, "abc");         // rejected: WidthOrPrecisionIsNotInt
    Format(t, "%y", 1);                   // rejected: UnknownConversion
    Format(t, "%hs", "a");                // rejected: LengthModifierDoesNotFitConversion
    Format(t, "%Ld", 1);                  // rejected: LengthModifierDoesNotFitConversion
    Format(t, "%#s", "a");                // rejected: FlagOrPrecisionMeaninglessForConversion
    Format(t, "%.2c", 'a');               // rejected: FlagOrPrecisionMeaninglessForConversion
    Format(t, "100%");                    // rejected: FormatEndsInsideConversion
    Format(t, "%n", &count);              // rejected: WritingConversionNotAllowed
    Format(t, "%s|%-4d|%%", "a", count);
}

}  // namespace velkaro
