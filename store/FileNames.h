#pragma once
// The names of the files the program keeps, in one place.
namespace wendrel::file_names {

// In the program's folder.
inline constexpr const char* kTaskFile = "Scripts.dat";
inline constexpr const char* kOptionsFile = "Scripts.ini";
inline constexpr const char* kStateFile = "Scripts.state";
inline constexpr const char* kLogFile = "Wendrel.log";
inline constexpr const char* kCapturesFolder = "captures";  // what the started programs wrote, per run
inline constexpr const char* kOldLogFile = "Wendrel.log.1"; // the history before the last rotation
inline constexpr const char* kBackupSuffix = ".bak";        // a task list kept before it is replaced
inline constexpr const char* kScriptExtension = ".wdx";

// Desktop entries: the one installed under share/applications (it also marks
// an installed layout), the one in the user's autostart folder, and the
// beginning of the per-folder entries that KDE Plasma needs ("wendrel-<hash>").
inline constexpr const char* kInstalledEntry = "io.github.wendrel.Wendrel.desktop";
inline constexpr const char* kAutostartEntry = "wendrel.desktop";
inline constexpr const char* kFolderEntryPrefix = "wendrel-";
inline constexpr const char* kEntryExtension = ".desktop";

} // namespace wendrel::file_names
