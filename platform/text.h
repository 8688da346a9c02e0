#pragma once

#include <array>
#include <cstddef>
#include <cstring>
#include <string_view>
#include <type_traits>

#include "platform/checked_format.h"

namespace velkaro {

// A fixed, zero-filled character slot whose width N includes the terminating zero, so a
// Text<40> holds 39 characters. Assigning a longer text keeps the first N - 1 bytes: the slot
// widths of the files and forms are the system's limits.
template <std::size_t N>
struct Text {
    static_assert(N >= 1, "a slot needs room for its terminating zero");
    static constexpr std::size_t kCapacity = N - 1;

    std::array<char, N> bytes{};

    Text() = default;
    Text(std::string_view s) { Assign(s); }  // NOLINT: slots are filled from literals everywhere

    // Zero-fills the slot, then copies at most N - 1 bytes. Returns false when the text was cut.
    bool Assign(std::string_view s) {
        bytes.fill('\0');
        std::size_t n = s.size() < kCapacity ? s.size() : kCapacity;
        if (n > 0) std::memcpy(bytes.data(), s.data(), n);
        return n == s.size();
    }
    Text& operator=(std::string_view s) {
        Assign(s);
        return *this;
    }

    // Appends what fits; returns false when something was cut.
    bool Append(std::string_view s) {
        std::size_t len = Length();
        std::size_t room = kCapacity - len;
        std::size_t n = s.size() < room ? s.size() : room;
        if (n > 0) std::memcpy(bytes.data() + len, s.data(), n);
        return n == s.size();
    }

    void Clear() { bytes.fill('\0'); }

    std::size_t Length() const {
        const void* end = std::memchr(bytes.data(), '\0', N);
        return end ? static_cast<std::size_t>(static_cast<const char*>(end) - bytes.data())
                   : kCapacity;  // unreachable while the last byte stays zero
    }
    bool Empty() const { return bytes[0] == '\0'; }
    std::string_view View() const { return std::string_view(bytes.data(), Length()); }
    const char* CStr() const { return bytes.data(); }
    char* Data() { return bytes.data(); }

    friend bool operator==(const Text& a, const Text& b) { return a.View() == b.View(); }
    friend bool operator==(const Text& a, std::string_view b) { return a.View() == b; }
};

// printf into a slot: never writes past it, zero-fills the rest, and returns false when the
// formatted text had to be cut. The format is checked against the arguments as it compiles.
template <std::size_t N, typename... Args>
bool Format(Text<N>& slot, CheckedFormat<std::type_identity_t<Args>...> format, Args... args) {
    slot.Clear();
    int n = format.Print(slot.bytes.data(), N, args...);
    return n >= 0 && static_cast<std::size_t>(n) < N;
}

}  // namespace velkaro
