#include "store/InstanceRequest.h"

namespace wendrel {

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
    verdict_ = line == kShowRequest.substr(0, kShowRequest.size() - 1) ? Verdict::Show : Verdict::Unknown;
    line_.clear();
    return verdict_;
}

} // namespace wendrel
