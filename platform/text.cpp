#include "platform/text.h"

#include <cstdarg>
#include <cstdio>

namespace velkaro {

int FormatPrinter::Bounded(char* buffer, std::size_t size, const char* format, ...) {
    va_list args;
    va_start(args, format);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    int n = std::vsnprintf(buffer, size, format, args);
#pragma GCC diagnostic pop
    va_end(args);
    return n;
}

}  // namespace velkaro
