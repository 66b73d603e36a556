#pragma once
// Opening the program's own files so that whatever stands in their place
// cannot hold the program up or lead its writes elsewhere: a named pipe, a
// device, a socket or a folder is refused instead of opened, and where a file
// is appended to, a symbolic link is refused instead of followed.
#include <string>

namespace wendrel {

enum class FileUse {
    Read,           // read; a symbolic link to a regular file is followed
    ReadNoLink,     // read; a symbolic link is refused
    AppendOrCreate, // read, and written at its end; created (owner only) when missing; a link is refused
};

// The descriptor (close-on-exec, blocking) of the regular file at path, or -1
// with the reason, a short phrase for the user ("it is a named pipe"), in why.
// Never waits: a pipe without a writer or a device is not left open.
int openRegularFile(const std::string& path, FileUse use, std::string& why);

} // namespace wendrel
