#pragma once
// Reading 8-bit text line by line, and replacing a file atomically.
#include <cstddef>
#include <cstdio>
#include <functional>
#include <string>

#include "model/RegularFile.h"

namespace wendrel {

// Reads lines from a file. A line ends at CR LF, at a CR alone or at an LF
// alone, so files from any editor read alike. The last line needs no line
// end. Lines longer than maxLine bytes are cut (the rest up to the line end is
// skipped) and reported through wasCut(). Only a regular file is read (see
// openRegularFile); anything else leaves the reader closed, saying why.
class LineReader {
public:
    explicit LineReader(const std::string& path, std::size_t maxLine = std::size_t(1) << 20,
                        FileUse use = FileUse::Read);
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    bool isOpen() const { return file_ != nullptr; }
    // Why the file could not be opened ("it is a named pipe", "No such file
    // or directory"); empty when it was.
    const std::string& whyNotOpen() const { return whyNotOpen_; }
    // Reads the next line; false at the end of the file (or on a read error).
    bool next(std::string& line);
    bool wasCut() const { return cut_; }
    bool hadError() const { return error_; }
    // Calls progress after every `everyBytes` bytes read, also in the middle
    // of a line, so that a caller reading a huge file can keep its user
    // interface alive.
    void onProgress(std::size_t everyBytes, std::function<void()> progress);

private:
    int get();
    std::FILE* file_ = nullptr;
    std::string whyNotOpen_;
    std::size_t maxLine_;
    bool cut_ = false;
    bool error_ = false;
    int pending_ = -2; // one byte read ahead, -2 when none
    std::size_t progressEvery_ = 0;
    std::size_t untilProgress_ = 0;
    std::function<void()> progress_;
};

// Writes contents to path so that the file is either wholly old or wholly new
// even if the process dies meanwhile: a temporary in the same folder is
// written, flushed to disk and renamed over the target. When path is a
// symbolic link, the file it leads to is replaced that way, in its own folder,
// and the link stays; with LinkAtPath::Replace the link itself is replaced by
// the new file instead (for files that only this program has reason to
// write). An existing file keeps its permission bits; a new one is readable
// and writable by its owner only. Returns an empty string on success,
// otherwise the reason of the failure.
enum class LinkAtPath { Follow, Replace };
std::string writeFileAtomically(const std::string& path, const std::string& contents,
                                LinkAtPath link = LinkAtPath::Follow);

// The path that path leads to after following symbolic links (also a link to
// a missing file); path itself when it is no link, or after too many links.
std::string followLinks(const std::string& path);

bool fileExists(const std::string& path); // a regular file (or link to one)
bool nothingAt(const std::string& path);  // not even a dangling link
std::string joinPath(const std::string& folder, const std::string& leaf);

} // namespace wendrel
