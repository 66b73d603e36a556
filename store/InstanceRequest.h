#pragma once
// What a later start of the program, or `wendrel --list` and its kin, says to
// the running one over the local socket, and what it hears back.
//
// The request is one line: a word, and for the commands on one task a blank
// and the task's name or position (UTF-8, up to the end of the line):
//   show | list | list-json | run TASK | enable TASK | disable TASK
// A line ended by CR LF asks the same. Anything else is no request, and a
// peer that keeps sending without ending its line is dropped once
// kMaxRequestBytes have come.
//
// The reply is a status line, then the text for the user up to the end of
// the connection:
//   "ok"                  then what the command prints (for show: nothing)
//   "error KIND"          then the reason, one line; KIND names the failure
//   "busy"                the running one is still starting: ask again
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace wendrel {

inline constexpr std::string_view kShowRequest = "show\n";
inline constexpr std::string_view kShowAccepted = "ok\n";
// Room for a 20-character name of any script (4 bytes a character at most)
// and the longest word, with plenty to spare.
inline constexpr std::size_t kMaxRequestBytes = 256;

enum class Command { Show, List, ListJson, Run, Enable, Disable };

struct InstanceRequest {
    Command command = Command::Show;
    std::string task; // the name or position, for Run, Enable and Disable
    bool operator==(const InstanceRequest&) const = default;
};

// The line that asks for request, line end included; nothing when the task
// text cannot go on one line (it holds a line break or a code-0 character)
// or makes the line too long.
std::optional<std::string> requestLine(const InstanceRequest& request);

// The bytes of one connection, as they come in any pieces.
class InstanceRequestReader {
public:
    enum class Verdict {
        Incomplete, // no end of line yet: wait for more
        Show,       // the first line asks for the main window
        Command,    // the first line is another request: see request()
        Unknown,    // the first line is something else
        TooLong,    // no end of line within kMaxRequestBytes
    };

    // Takes the next bytes received and says what the connection amounts to
    // so far. Once the verdict is no longer Incomplete it stays; later bytes
    // are ignored. Never keeps more than kMaxRequestBytes.
    Verdict feed(std::string_view bytes);
    Verdict verdict() const { return verdict_; }
    // What was asked, once the verdict is Show or Command.
    const InstanceRequest& request() const { return request_; }

private:
    std::string line_;
    Verdict verdict_ = Verdict::Incomplete;
    InstanceRequest request_;
};

// How a request went, as the reply carries it.
enum class ReplyStatus {
    Ok,
    NoSuchTask, // no task has that name or position
    Ambiguous,  // several tasks have that name
    NotStarted, // the task is there but did not start
    Failed,     // the change could not be made
    Busy,       // the running instance cannot answer yet
};

struct InstanceReply {
    ReplyStatus status = ReplyStatus::Ok;
    std::string text; // the output when Ok, else the reason
    bool operator==(const InstanceReply&) const = default;
};

std::string formatReply(const InstanceReply& reply);
// The reply in the bytes received up to the end of the connection; nothing
// when they are no reply (cut short, an unknown status).
std::optional<InstanceReply> parseReply(std::string_view bytes);

} // namespace wendrel
