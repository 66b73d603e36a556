#include "store/ScriptFiles.h"

#include <filesystem>
#include <string_view>
#include <system_error>

#include "model/Cp1252.h"
#include "model/TaskRecord.h"
#include "model/TextFile.h"
#include "store/FileNames.h"

namespace fs = std::filesystem;

namespace wendrel {

bool isScriptFileName(const std::string& leaf) {
    const std::string_view ext = file_names::kScriptExtension;
    if (leaf.empty() || leaf[0] == '.' || leaf.size() <= ext.size()) return false;
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    for (std::size_t k = 0; k < ext.size(); ++k)
        if (lower(leaf[leaf.size() - ext.size() + k]) != ext[k]) return false;
    return true;
}

std::string withScriptExtension(const std::string& name) {
    const std::string ext = file_names::kScriptExtension;
    auto upper = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; };
    bool has = name.size() >= ext.size();
    for (std::size_t i = 0; has && i < ext.size(); ++i)
        has = upper(name[name.size() - ext.size() + i]) == upper(ext[i]);
    return has ? name : name + ext;
}

std::optional<std::string> scriptNameProblem(const std::string& name) {
    constexpr std::size_t kWidth = decltype(TaskRecord::ScriptFile)::kWidth;
    if (name.empty()) return "A script file needs a name.";
    if (name.find('/') != std::string::npos || name == "." || name == "..")
        return "The script file name \"" + name + "\" is not a plain file name in Wendrel's folder.";
    if (name.find('\0') != std::string::npos) return std::string("A script file name cannot hold a code-0 character.");
    // The task keeps the name in Windows-1252: a character it cannot hold
    // would name another file.
    if (cp1252ToUtf8(utf8ToCp1252(name)) != name)
        return "The script file name \"" + name + "\" has characters a task cannot hold.";
    // UTF-8: every byte but a continuation byte begins a character.
    std::size_t characters = 0;
    for (const char c : name) characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    if (characters > kWidth)
        return "The script file name \"" + name + "\" is longer than the " + std::to_string(kWidth) +
               " characters a task can hold.";
    return std::nullopt;
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
