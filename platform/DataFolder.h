#pragma once
// Where the program keeps its files (task list, options, scripts, run
// history).
//
// A portable copy, such as the build folder, keeps them beside its
// executable: the folder already holds Scripts.dat, or it is writable and not
// an installed layout. An installed program (bin/ with the desktop entry in
// ../share/applications, as `cmake --install` and the package lay it out)
// keeps them per user, in $XDG_DATA_HOME/wendrel, by default
// ~/.local/share/wendrel, even when run by a user who could write to bin/.
#include <string>

namespace wendrel {

// The user's home folder: home (the value of HOME) when it is an absolute path,
// else the one in the user database; empty when there is none.
std::string homeFolder(const char* home);

// The user's data home for these environment values (either may be null or
// empty): $XDG_DATA_HOME when it is an absolute path, else
// homeFolder(home)/.local/share; empty without a home folder.
std::string userDataHome(const char* xdgDataHome, const char* home);

// The per-user folder for these environment values (either may be null or
// empty): $XDG_DATA_HOME/wendrel when it is an absolute path, else
// homeFolder(home)/.local/share/wendrel; empty without a home folder.
std::string perUserDataFolder(const char* xdgDataHome, const char* home);

// The program's folder for an executable in exeFolder, using the process's
// environment. Creates the per-user folder (and any missing parents) with
// permissions 0700 when it is chosen and missing. On failure returns an empty
// string and the reason in failure.
std::string resolveDataFolder(const std::string& exeFolder, std::string& failure);

} // namespace wendrel
