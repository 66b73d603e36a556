#pragma once
// Scripts.dat (the task list) and Scripts.ini (the options, one a line:
// MinimizeOnStartup, MinimizeToTray and, when on, RunMissedTasks) in the
// program's folder: read at start-up; both written in full, each replaced
// atomically, after every change of the list or the options and at exit.
#include <string>
#include <vector>

#include "model/General.h"

namespace wendrel {

class TaskStore {
public:
    explicit TaskStore(std::string folder) : folder_(std::move(folder)) {}

    std::string taskPath() const;
    std::string optionsPath() const;

    // Start-up reading in two steps, as the main window needs them: first
    // both files are created when missing and the option flags read, then the
    // task lines are read into the table. Problems are collected in errors().
    void readOptions(General& g);
    void readTasks(General& g);
    void read(General& g) {
        readOptions(g);
        readTasks(g);
    }

    // Writes both files. Returns the problems met (empty when all was saved).
    // When the task list read at start-up held more than could be loaded (over
    // 200 lines, overlong lines, or it could not be read at all), the original
    // is kept as Scripts.dat.bak, at once when it is read (errors() then says
    // so), or at the latest before it is first replaced.
    std::vector<std::string> write(const General& g);

    // For when the program's folder cannot take the list (read-only, full,
    // Scripts.dat a folder): writes both files into folder, created with its
    // missing parents for the owner only, under names that carry the date,
    // time and process. Returns the task list's path, or an empty string
    // with the reason in why.
    static std::string writeFallback(const General& g, const std::string& folder, std::string& why);

    // Problems met while reading, one readable sentence each.
    const std::vector<std::string>& errors() const { return errors_; }
    // True when the task list held more than was loaded.
    bool lostOnLoad() const { return lostOnLoad_; }

    static std::string formatTaskFile(const General& g);
    static std::string formatOptionsFile(const General& g);

private:
    bool keepOriginal();

    std::string folder_;
    std::vector<std::string> errors_;
    bool lostOnLoad_ = false;
    bool backupDone_ = false;
};

} // namespace wendrel
