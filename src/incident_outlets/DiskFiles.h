// What the outlets need of the file system beyond std::filesystem, with the system's own reason
// when it fails: a day file appended whole lines at a time, data flushed to the disk, a file
// replaced whole, whether a folder can be written. One implementation for POSIX, one for Windows.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/Result.h"

namespace incidents {

// One file opened for appending whole lines, created when missing.
class AppendFile {
public:
    explicit AppendFile(const std::string& path);
    ~AppendFile();
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;

    bool IsOpen() const;
    const std::string& Path() const { return path_; }
    // The system's reason for the last failure.
    const std::string& Problem() const { return problem_; }

    // Writes the line whole or not at all: what part of it went in before the disk filled is
    // taken back. A line cut short by a crash before is closed first. A durable line is on
    // the disk, not only in the system's cache, before it counts as written.
    bool Write(std::string_view line, bool durable);

private:
    struct Handle;
    std::string path_;
    std::unique_ptr<Handle> handle_;
    std::string problem_;
};

// The file's (or folder's) data written so far reaches the disk, not only the system's cache.
bool SyncToDisk(const std::string& path, bool directory = false);

// Writes the bytes to a temporary file beside `path`, flushed to the disk when `durable`, and
// renames it over `path`, so a crash leaves the old file or the new one whole. The problem, in
// the system's words after the file's name, when it fails; the old file is then as it was.
platform::Result<void> ReplaceWhole(const std::string& path, std::string_view bytes, bool durable);

// Whether files can be written in `folder`, or the folder made where it is missing (the
// nearest part that exists must let it be); the problem in the system's words when not.
// Leaves nothing behind.
platform::Result<void> FolderWritable(const std::string& folder);

}  // namespace incidents
