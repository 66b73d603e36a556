#pragma once
// The scheduler's state file, Scripts.state, in the program's folder: each
// task's last start (real time), and the moment the program was last known to
// be running.
//
// A task is known by its name, interval, time and date fields, Other amount
// and unit and script file, plus its place among the tasks that agree in all
// of these (the first, the second...). Moving a task, switching it on or off
// or changing its comment keeps its history; changing its name, its schedule
// or its script makes it a new task that has not run yet.
//
// The file is plain text, one record a line, CR LF:
//   alive <UTC seconds>
//   task <key> <UTC seconds of the last start>
//   last <key> <UTC seconds> <R|S|F> <what failed>
// A "last" line is the last run of any task, by hand or by the tick: when it
// began, whether it was still running (R), succeeded (S) or failed (F), and
// the history's words for its first failure. Versions that knew no "last"
// lines pass over them. A run still going when the file was written did not
// end well: it reads back as failed.
// The key is the 64-bit FNV-1a digest of those fields in hex and the place,
// "<digest>-<place>". Earlier versions started the digest from an offset
// basis that had lost a digit; their keys are still recognised on reading,
// and the next save writes the right ones. Lines that cannot be read, and
// times outside the years 1970 to 9999, are skipped: the
// state only ever adds to what the task list says, so a damaged file costs at
// most one catch-up run.
#include <cstdint>
#include <optional>
#include <string>

#include "model/General.h"

namespace wendrel::run_state {

// Gives the table's fixed-time tasks their last starts, and every task its
// last run, from the file at path
// and returns the time the program was last known to run (no value when the
// file is missing or says nothing). A problem reading it (also something
// other than a regular file in its place) goes to problem.
std::optional<std::int64_t> load(const std::string& path, General& g, std::string& problem);

// Writes the last starts of the table's fixed-time tasks, the last runs and aliveUtc,
// replacing whatever is at path (a symbolic link is not followed).
// Returns the problem met, or empty text.
std::string save(const std::string& path, const General& g, std::int64_t aliveUtc);

} // namespace wendrel::run_state
