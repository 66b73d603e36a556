#include "store/TaskLine.h"

#include "model/Cp1252.h"
#include "model/Fields.h"

namespace wendrel {

std::string formatTaskLine(const TaskRecord& r) {
    std::string line;
    line.reserve(128);
    line += r.Name.str();
    line += '~';
    line += r.Comment.str();
    for (std::int16_t v : {r.Interval, r.DateDay, r.DateMonth, r.TimeHour, r.TimeMinute, r.DayofMonth, r.DayofWeek,
                           r.MinsPastHour, r.Other, r.MSOption, r.Active}) {
        line += '~';
        line += std::to_string(v);
    }
    line += '~';
    line += r.ScriptFile.str();
    return lineBytes(line);
}

void parseTaskLine(std::string_view bytes, TaskRecord& r) {
    const std::string line = lineToUtf8(bytes);
    auto text = [&](int n) { return GetField(line, '~', n).value_or(std::string()); };
    r.Name.assign(text(1));
    r.Comment.assign(text(2));
    r.Interval = wholeInt16(text(3));
    r.DateDay = leadingInt16(text(4));
    r.DateMonth = leadingInt16(text(5));
    r.TimeHour = leadingInt16(text(6));
    r.TimeMinute = leadingInt16(text(7));
    r.DayofMonth = wholeInt16(text(8));
    r.DayofWeek = wholeInt16(text(9));
    r.MinsPastHour = wholeInt16(text(10));
    r.Other = leadingInt16(text(11));
    r.MSOption = leadingInt16(text(12));
    r.Active = leadingInt16(text(13));
    r.ScriptFile.assign(text(14));
}

std::string formatOptionValue(std::int16_t value) {
    std::string s = value < 0 ? std::to_string(value) : " " + std::to_string(value);
    return s + " ";
}

} // namespace wendrel
