#include "store/InstanceRequest.h"

#include <iterator>
#include <utility>

#include "model/Cp1252.h"

namespace wendrel {

namespace {

constexpr std::pair<Command, std::string_view> kWords[] = {
    {Command::Show, "show"}, {Command::List, "list"},     {Command::ListJson, "list-json"},
    {Command::Run, "run"},   {Command::Enable, "enable"}, {Command::Disable, "disable"},
};

constexpr std::pair<ReplyStatus, std::string_view> kStatusLines[] = {
    {ReplyStatus::Ok, "ok"},
    {ReplyStatus::NoSuchTask, "error no-such-task"},
    {ReplyStatus::Ambiguous, "error ambiguous"},
    {ReplyStatus::NotStarted, "error not-started"},
    {ReplyStatus::Failed, "error failed"},
    {ReplyStatus::Busy, "busy"},
};

bool takesTask(Command c) { return c == Command::Run || c == Command::Enable || c == Command::Disable; }

constexpr char kLineBreaksAndNulChars[] = {'\n', '\r', '\0'};
constexpr std::string_view kLineBreaksAndNul(kLineBreaksAndNulChars, std::size(kLineBreaksAndNulChars));

// A task's text that a request line can carry: UTF-8 without line breaks or
// code-0 characters, which no name holds.
bool sendable(std::string_view task) {
    return !task.empty() && task.find_first_of(kLineBreaksAndNul) == std::string_view::npos && isValidUtf8(task);
}

// The request of one line (without its end); nothing when it is none.
std::optional<InstanceRequest> parseLine(std::string_view line) {
    const std::size_t blank = line.find(' ');
    const std::string_view word = line.substr(0, blank);
    for (const auto& [command, name] : kWords) {
        if (word != name) continue;
        if (!takesTask(command)) {
            if (blank != std::string_view::npos) return std::nullopt;
            return InstanceRequest{command, {}};
        }
        if (blank == std::string_view::npos) return std::nullopt;
        const std::string_view task = line.substr(blank + 1);
        if (!sendable(task)) return std::nullopt;
        return InstanceRequest{command, std::string(task)};
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string> requestLine(const InstanceRequest& request) {
    std::string line;
    for (const auto& [command, name] : kWords) {
        if (command == request.command) line = name;
    }
    if (takesTask(request.command)) {
        if (!sendable(request.task)) return std::nullopt;
        line += " " + request.task;
    }
    // The reader takes at most kMaxRequestBytes - 1 bytes before the line end.
    if (line.size() >= kMaxRequestBytes) return std::nullopt;
    return line + "\n";
}

InstanceRequestReader::Verdict InstanceRequestReader::feed(std::string_view bytes) {
    if (verdict_ != Verdict::Incomplete) return verdict_;
    const std::size_t end = bytes.find('\n');
    const std::string_view piece = bytes.substr(0, end);
    if (line_.size() + piece.size() >= kMaxRequestBytes) {
        // Even a line ending right here would be longer than any request.
        line_.clear();
        return verdict_ = Verdict::TooLong;
    }
    line_.append(piece);
    if (end == std::string_view::npos) return verdict_;
    // A line ended by CR LF asks the same.
    std::string_view line = line_;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::optional<InstanceRequest> request = parseLine(line);
    if (!request) verdict_ = Verdict::Unknown;
    else verdict_ = request->command == Command::Show ? Verdict::Show : Verdict::Command;
    if (request) request_ = *request;
    line_.clear();
    return verdict_;
}

std::string formatReply(const InstanceReply& reply) {
    for (const auto& [status, line] : kStatusLines) {
        if (status == reply.status) return std::string(line) + "\n" + reply.text;
    }
    return {};
}

std::optional<InstanceReply> parseReply(std::string_view bytes) {
    const std::size_t end = bytes.find('\n');
    if (end == std::string_view::npos) return std::nullopt;
    for (const auto& [status, line] : kStatusLines) {
        if (bytes.substr(0, end) == line) return InstanceReply{status, std::string(bytes.substr(end + 1))};
    }
    return std::nullopt;
}

} // namespace wendrel
