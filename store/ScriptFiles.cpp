#include "store/ScriptFiles.h"

#include <filesystem>
#include <string_view>
#include <system_error>

#include "model/TextFile.h"
#include "store/FileNames.h"

namespace fs = std::filesystem;

namespace wendrel {

bool isScriptFileName(const std::string& leaf) {
    const std::string_view ext = FileNames::ScriptExtension;
    if (leaf.empty() || leaf[0] == '.' || leaf.size() <= ext.size()) return false;
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    for (std::size_t k = 0; k < ext.size(); ++k)
        if (lower(leaf[leaf.size() - ext.size() + k]) != ext[k]) return false;
    return true;
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

std::string createScriptFile(const std::string& folder, const std::string& leaf, const std::string& text) {
    return writeFileAtomically(joinPath(folder, leaf), text);
}

} // namespace wendrel
