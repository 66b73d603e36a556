// The request of a later start: any bytes, in any pieces, give the same
// verdict as the rule read straight off the whole input, a verdict once
// given stays, and a request read is one whose line is that very line.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "store/InstanceRequest.h"

using namespace wendrel;
using Verdict = InstanceRequestReader::Verdict;

namespace {
// The first line, without its end.
std::string_view firstLine(std::string_view bytes) {
    std::string_view line = bytes.substr(0, bytes.find('\n'));
    if (line.ends_with('\r')) line.remove_suffix(1);
    return line;
}

// The rule, from the whole input at once; a line that is not "show" may be
// another request (Command) or none.
Verdict expected(std::string_view bytes, Verdict got) {
    const std::size_t end = bytes.find('\n');
    if (end == std::string_view::npos) return bytes.size() >= kMaxRequestBytes ? Verdict::TooLong : Verdict::Incomplete;
    if (end >= kMaxRequestBytes) return Verdict::TooLong;
    if (firstLine(bytes) == "show") return Verdict::Show;
    return got == Verdict::Command ? Verdict::Command : Verdict::Unknown;
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
    if (atOnce != expected(bytes, atOnce) || pieces.verdict() != atOnce) std::abort();
    if (atOnce == Verdict::Command && requestLine(whole.request()) != std::string(firstLine(bytes)) + "\n")
        std::abort();
    // A settled verdict stays.
    if (atOnce != Verdict::Incomplete && whole.feed("show\n") != atOnce) std::abort();
    return 0;
}
