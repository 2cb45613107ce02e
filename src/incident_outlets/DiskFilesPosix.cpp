// The outlets' files on POSIX: open, write, fdatasync, ftruncate and rename.
#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "incident_outlets/DiskFiles.h"
#include "platform/Paths.h"

namespace incidents {
namespace {

std::string SystemReason(int error) {
    return std::system_category().message(error);
}

bool WriteAll(int fd, std::string_view bytes) {
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

struct AppendFile::Handle {
    int fd = -1;

    // True when the file is empty or ends with a line end; a line cut short does not.
    bool EndsWithLineEnd(off_t size) const {
        char last = '\n';
        return size == 0 || (::pread(fd, &last, 1, size - 1) == 1 && last == '\n');
    }
};

// Opened for reading too: whether the file ends with a line end is read back before each line.
AppendFile::AppendFile(const std::string& path) : path_(path), handle_(std::make_unique<Handle>()) {
    handle_->fd = ::open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (handle_->fd < 0) problem_ = SystemReason(errno);
}

AppendFile::~AppendFile() {
    if (handle_->fd >= 0) ::close(handle_->fd);
}

bool AppendFile::IsOpen() const {
    return handle_->fd >= 0;
}

bool AppendFile::Write(std::string_view line, bool durable) {
    struct stat status {};
    const auto failed = [this](off_t sizeBefore) {
        problem_ = SystemReason(errno != 0 ? errno : EIO);
        if (sizeBefore >= 0 && ::ftruncate(handle_->fd, sizeBefore) != 0) {
            // The part written stays; the next line starts on a line of its own.
        }
        return false;
    };
    if (::fstat(handle_->fd, &status) != 0) return failed(-1);
    std::string closed;  // the line after the end of one cut short: still a single write
    if (!handle_->EndsWithLineEnd(status.st_size)) line = closed.append("\n").append(line);
    if (!WriteAll(handle_->fd, line)) return failed(status.st_size);
    if (durable && ::fdatasync(handle_->fd) != 0) return failed(status.st_size);
    return true;
}

bool SyncToDisk(const std::string& path, bool directory) {
    const int fd = ::open(path.c_str(), (directory ? O_DIRECTORY : 0) | O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

platform::Result<void> ReplaceWhole(const std::string& path, std::string_view bytes, bool durable) {
    const std::string temporary = path + ".new-" + std::to_string(::getpid());
    const auto fail = [&](int error) {
        ::unlink(temporary.c_str());
        return platform::Fail(path + ": " + SystemReason(error));
    };
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return platform::Fail(path + ": " + SystemReason(errno));
    const bool written = WriteAll(fd, bytes) && (!durable || ::fsync(fd) == 0);
    const int error = errno;
    if (::close(fd) != 0 && written) return fail(errno);
    if (!written) return fail(error);
    if (::rename(temporary.c_str(), path.c_str()) != 0) return fail(errno);
    return {};
}

platform::Result<void> FolderWritable(const std::string& folder) {
    std::filesystem::path path = platform::FilePath(folder);
    while (::access(path.c_str(), W_OK | X_OK) != 0) {
        const int error = errno;
        if (error != ENOENT || !path.has_relative_path() || path == path.parent_path())
            return platform::Fail(folder + " cannot be written: " + std::strerror(error));
        path = path.parent_path();
    }
    std::error_code ec;
    if (!std::filesystem::is_directory(path, ec))
        return platform::Fail(folder + " cannot be written: " + std::strerror(ENOTDIR));
    return {};
}

}  // namespace incidents
#endif
