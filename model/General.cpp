#include "model/General.h"

namespace wendrel {

void General::fillCaptionTables() {
    for (std::size_t i = 0; i < IntervalNames.size(); ++i) IntervalNames[i] = kIntervalCaptions[i];
    for (std::size_t i = 0; i < YesNoNames.size(); ++i) YesNoNames[i] = kYesNoCaptions[i];
}

std::string General::intervalName(int interval) const {
    if (interval >= 0 && interval < static_cast<int>(IntervalNames.size()))
        return IntervalNames[static_cast<std::size_t>(interval)];
    return std::to_string(interval);
}

std::string General::yesNoName(int active) const {
    if (active >= 0 && active < static_cast<int>(YesNoNames.size()))
        return YesNoNames[static_cast<std::size_t>(active)];
    return std::to_string(active);
}

int General::append() {
    if (TaskCount >= kMaxTasks) return 0;
    ++TaskCount;
    clearSlot(TaskCount);
    return TaskCount;
}

void General::remove(int k) {
    if (k < 1 || k > TaskCount) return;
    for (int i = k; i < TaskCount; ++i) copyRecord(i + 1, i);
    clearSlot(TaskCount);
    --TaskCount;
}

void General::move(int s, int t) {
    if (s < 1 || t < 1 || s > TaskCount || t > TaskCount || s == t) return;
    copyRecord(s, kMoveSlot);
    if (s < t) {
        for (int i = s; i <= t - 1; ++i) copyRecord(i + 1, i);
    } else {
        for (int i = s; i >= t + 1; --i) copyRecord(i - 1, i);
    }
    copyRecord(kMoveSlot, t);
}

int General::activeCount() const {
    int a = 0;
    for (int i = 1; i <= TaskCount; ++i) a += slot(i).Active;
    return a;
}

} // namespace wendrel
