#pragma once
// Creating the folders the program keeps its files in.
#include <string>

namespace wendrel {

// Creates path and its missing parents (mkdir -p), each new level with
// permissions 0700; an existing folder is left as it is. False, with the
// reason ("cannot create <folder>: <why>"), on failure.
bool makePrivateFolders(const std::string& path, std::string& failure);

} // namespace wendrel
