#pragma once
// The names of the files the program keeps, in one place.
namespace wendrel::FileNames {

// In the program's folder.
inline constexpr const char* TaskFile = "Scripts.dat";
inline constexpr const char* OptionsFile = "Scripts.ini";
inline constexpr const char* StateFile = "Scripts.state";
inline constexpr const char* LogFile = "Wendrel.log";
inline constexpr const char* OldLogFile = "Wendrel.log.1"; // the history before the last rotation
inline constexpr const char* BackupSuffix = ".bak";        // a task list kept before it is replaced
inline constexpr const char* ScriptExtension = ".wdx";

// Desktop entries: the one installed under share/applications (it also marks
// an installed layout), the one in the user's autostart folder, and the
// beginning of the per-folder entries that KDE Plasma needs ("wendrel-<hash>").
inline constexpr const char* InstalledEntry = "io.github.wendrel.Wendrel.desktop";
inline constexpr const char* AutostartEntry = "wendrel.desktop";
inline constexpr const char* FolderEntryPrefix = "wendrel-";
inline constexpr const char* EntryExtension = ".desktop";

} // namespace wendrel::FileNames
