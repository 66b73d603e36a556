// The request of a later start: any bytes, in any pieces, give the same
// verdict as the rule read straight off the whole input, and a verdict once
// given stays.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "store/InstanceRequest.h"

using namespace wendrel;
using Verdict = InstanceRequestReader::Verdict;

namespace {
// The rule, from the whole input at once.
Verdict expected(std::string_view bytes) {
    const std::size_t end = bytes.find('\n');
    if (end == std::string_view::npos) return bytes.size() >= kMaxRequestBytes ? Verdict::TooLong : Verdict::Incomplete;
    if (end >= kMaxRequestBytes) return Verdict::TooLong;
    std::string_view line = bytes.substr(0, end);
    if (line.ends_with('\r')) line.remove_suffix(1);
    return line == "show" ? Verdict::Show : Verdict::Unknown;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // The first byte says how the rest is cut into pieces.
    const std::size_t step = data[0] % 17 + 1;
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    InstanceRequestReader whole, pieces;
    const Verdict atOnce = whole.feed(bytes);
    for (std::size_t at = 0; at < bytes.size(); at += step) pieces.feed(bytes.substr(at, step));
    if (bytes.empty()) pieces.feed({});
    if (atOnce != expected(bytes) || pieces.verdict() != atOnce) std::abort();
    // A settled verdict stays.
    if (atOnce != Verdict::Incomplete && whole.feed("show\n") != atOnce) std::abort();
    return 0;
}
