#include "store/ScriptFiles.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace wendrel {

bool isScriptFileName(const std::string& leaf) {
    if (leaf.empty() || leaf[0] == '.') return false;
    if (leaf.size() < 5) return false;
    const std::string ext = leaf.substr(leaf.size() - 4);
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    return ext[0] == '.' && lower(ext[1]) == 'w' && lower(ext[2]) == 'd' && lower(ext[3]) == 'x';
}

std::vector<std::string> listScriptFiles(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(fs::path(folder), fs::directory_options::skip_permission_denied, ec);
    if (ec) return names;
    for (const fs::directory_iterator end; it != end; it.increment(ec)) {
        if (ec) break;
        const fs::directory_entry& entry = *it;
        const std::string leaf = entry.path().filename().string();
        if (!isScriptFileName(leaf)) continue;
        // status() follows links: a link to a regular file is listed, a
        // dangling link or a link to a folder is not.
        std::error_code sec;
        if (!entry.is_regular_file(sec) || sec) continue;
        names.push_back(leaf);
    }
    return names;
}

} // namespace wendrel
