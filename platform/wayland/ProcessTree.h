#pragma once
// A started program as the desktop sees it: the process itself and every
// process it started in turn. A launcher (a shell script, a desktop's "open"
// helper) often ends soon and leaves the real program to a child, whose
// windows then count as the started program's.
#include <map>
#include <set>

namespace wendrel::wayland {

class ProcessFamily {
public:
    explicit ProcessFamily(int root) : root_(root) {}

    // The processes of the family that live now, read from /proc. A process
    // seen once as a member stays one after its parent has ended (an orphan
    // is handed to another parent and could not be told apart otherwise),
    // for as long as it lives; a new process that happens to get a member's
    // id later does not count.
    std::set<int> living();

private:
    int root_;
    bool looked_ = false;
    std::map<int, unsigned long long> members_; // process id -> its start time
};

} // namespace wendrel::wayland
