#pragma once
// FNV-1a, 64 bits: a short, stable digest of a few bytes (not for security).
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace wendrel {

class Fnv1a {
public:
    static constexpr std::uint64_t kOffsetBasis = 14695981039346656037ull;
    static constexpr std::uint64_t kPrime = 1099511628211ull;

    explicit constexpr Fnv1a(std::uint64_t basis = kOffsetBasis) : value_(basis) {}

    constexpr void add(std::string_view bytes) {
        for (char c : bytes) value_ = (value_ ^ static_cast<unsigned char>(c)) * kPrime;
    }
    void add(const void* data, std::size_t size) { add(std::string_view(static_cast<const char*>(data), size)); }
    constexpr std::uint64_t value() const { return value_; }

private:
    std::uint64_t value_;
};

constexpr std::uint64_t fnv1a(std::string_view bytes) {
    Fnv1a h;
    h.add(bytes);
    return h.value();
}

} // namespace wendrel
