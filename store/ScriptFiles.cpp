#include "store/ScriptFiles.h"

#include <filesystem>
#include <string_view>
#include <system_error>

#include "model/AsciiCase.h"
#include "model/Cp1252.h"
#include "model/TaskRecord.h"
#include "model/TextFile.h"
#include "store/FileNames.h"

namespace fs = std::filesystem;

namespace wendrel {

namespace {
// Whether name ends in the script extension, in any letter case.
bool endsWithScriptExtension(const std::string& name) {
    const std::string_view ext = file_names::kScriptExtension;
    return name.size() >= ext.size() && lowerAscii(std::string_view(name).substr(name.size() - ext.size())) == ext;
}
} // namespace

bool isScriptFileName(const std::string& leaf) {
    return !leaf.empty() && leaf[0] != '.' && leaf.size() > std::string_view(file_names::kScriptExtension).size() &&
           endsWithScriptExtension(leaf);
}

std::string withScriptExtension(const std::string& name) {
    return endsWithScriptExtension(name) ? name : name + file_names::kScriptExtension;
}

std::optional<std::string> scriptNameProblem(const std::string& name) {
    constexpr std::size_t kWidth = decltype(TaskRecord::ScriptFile)::kWidth;
    if (name.empty()) return "A script file needs a name.";
    if (name.find('/') != std::string::npos || name == "." || name == "..")
        return "The script file name \"" + name + "\" is not a plain file name in Wendrel's folder.";
    if (name.find('\0') != std::string::npos) return std::string("A script file name cannot hold a code-0 character.");
    if (!isValidUtf8(name)) return std::string("A script file name must be valid UTF-8 text.");
    if (utf8Length(name) > kWidth)
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
