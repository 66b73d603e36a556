#pragma once
// What a later start of the program says to the running one over the local
// socket, and what it hears back: one short line each way. A later start
// sends kShowRequest and waits for kShowAccepted; anything else is no
// request, and a peer that keeps sending without ending its line is dropped
// once kMaxRequestBytes have come.
#include <cstddef>
#include <string>
#include <string_view>

namespace wendrel {

inline constexpr std::string_view kShowRequest = "show\n";
inline constexpr std::string_view kShowAccepted = "ok\n";
inline constexpr std::size_t kMaxRequestBytes = 64;

// The bytes of one connection, as they come in any pieces.
class InstanceRequestReader {
public:
    enum class Verdict {
        Incomplete, // no end of line yet: wait for more
        Show,       // the first line asks for the main window
        Unknown,    // the first line is something else
        TooLong,    // no end of line within kMaxRequestBytes
    };

    // Takes the next bytes received and says what the connection amounts to
    // so far. Once the verdict is no longer Incomplete it stays; later bytes
    // are ignored. Never keeps more than kMaxRequestBytes.
    Verdict feed(std::string_view bytes);
    Verdict verdict() const { return verdict_; }

private:
    std::string line_;
    Verdict verdict_ = Verdict::Incomplete;
};

} // namespace wendrel
