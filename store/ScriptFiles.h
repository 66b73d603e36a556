#pragma once
// The script files of a folder: the regular files whose name ends in ".wdx".
#include <optional>
#include <string>
#include <vector>

namespace wendrel {

// Leaf names of the script files in folder, in the order the folder listing
// delivers them (not sorted). The extension matches in any letter case;
// hidden files (names beginning with a dot), folders and anything that is not
// a regular file are left out. An unreadable or missing folder gives an empty
// list, as does a listing that fails part-way (the names read so far are
// kept). Never throws for file-system reasons.
std::vector<std::string> listScriptFiles(const std::string& folder);

// True when leaf has the script extension ".wdx" (any letter case) and is not
// a hidden name; the extension alone (".wdx") is hidden, so it does not count.
bool isScriptFileName(const std::string& leaf);

// The script extension, appended to a typed name unless it already ends in
// it (in any letter case): backup becomes backup.wdx, notes.txt notes.txt.wdx.
std::string withScriptExtension(const std::string& name);

// Whether name (UTF-8) can be a task's script file: a plain name of a file in
// the program's folder, whole in the task's script field. Gives the problem
// as a sentence for the user, or no value when the name is fine. Refused:
// an empty name, a "/" (a path), "." and "..", a code-0 character, and a name
// longer than the field (counted in characters).
std::optional<std::string> scriptNameProblem(const std::string& name);

// Creates the script file leaf in folder holding text, replacing a file of
// that name (atomically: a reader sees the old file or the new one). Returns
// the reason of a failure, or empty text.
std::string createScriptFile(const std::string& folder, const std::string& leaf, const std::string& text);

} // namespace wendrel
