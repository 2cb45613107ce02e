// The outlets' files on Windows: CreateFileW, WriteFile, FlushFileBuffers and MoveFileExW.
#ifdef _WIN32
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "incident_outlets/DiskFiles.h"
#include "platform/Paths.h"

namespace incidents {
namespace {

std::string SystemReason(DWORD error) {
    return std::system_category().message(static_cast<int>(error));
}

std::wstring Wide(const std::string& path) {
    return platform::FilePath(path).wstring();
}

bool WriteAll(HANDLE file, std::string_view bytes) {
    for (std::size_t done = 0; done < bytes.size();) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
        if (!::WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0)
            return false;
        done += written;
    }
    return true;
}

}  // namespace

struct AppendFile::Handle {
    HANDLE file = INVALID_HANDLE_VALUE;

    bool EndsWithLineEnd(LONGLONG size) const {
        if (size == 0) return true;
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>((size - 1) & 0xffffffff);
        at.OffsetHigh = static_cast<DWORD>((size - 1) >> 32);
        char last = '\n';
        DWORD read = 0;
        return ::ReadFile(file, &last, 1, &read, &at) && read == 1 && last == '\n';
    }
    bool MoveToEnd() const {
        LARGE_INTEGER zero{};
        return ::SetFilePointerEx(file, zero, nullptr, FILE_END) != 0;
    }
};

AppendFile::AppendFile(const std::string& path) : path_(path), handle_(std::make_unique<Handle>()) {
    handle_->file = ::CreateFileW(Wide(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle_->file == INVALID_HANDLE_VALUE) problem_ = SystemReason(::GetLastError());
}

AppendFile::~AppendFile() {
    if (handle_->file != INVALID_HANDLE_VALUE) ::CloseHandle(handle_->file);
}

bool AppendFile::IsOpen() const {
    return handle_->file != INVALID_HANDLE_VALUE;
}

bool AppendFile::Write(std::string_view line, bool durable) {
    LARGE_INTEGER size{};
    const auto failed = [this](const LARGE_INTEGER* sizeBefore) {
        const DWORD error = ::GetLastError();
        problem_ = SystemReason(error != 0 ? error : ERROR_WRITE_FAULT);
        if (sizeBefore != nullptr &&
            ::SetFilePointerEx(handle_->file, *sizeBefore, nullptr, FILE_BEGIN)) {
            ::SetEndOfFile(handle_->file);  // what went in of the line is taken back
        }
        return false;
    };
    if (!::GetFileSizeEx(handle_->file, &size)) return failed(nullptr);
    std::string closed;  // the line after the end of one cut short: still a single write
    if (!handle_->EndsWithLineEnd(size.QuadPart)) line = closed.append("\n").append(line);
    if (!handle_->MoveToEnd() || !WriteAll(handle_->file, line)) return failed(&size);
    if (durable && !::FlushFileBuffers(handle_->file)) return failed(&size);
    return true;
}

bool SyncToDisk(const std::string& path, bool directory) {
    if (directory) return true;  // Windows keeps a folder's entries with the files
    const HANDLE file =
        ::CreateFileW(Wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool synced = ::FlushFileBuffers(file) != 0;
    ::CloseHandle(file);
    return synced;
}

platform::Result<void> ReplaceWhole(const std::string& path, std::string_view bytes, bool durable) {
    const std::wstring target = Wide(path), temporary = target + L".new";
    const HANDLE file = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return platform::Fail(path + ": " + SystemReason(::GetLastError()));
    const bool written = WriteAll(file, bytes) && (!durable || ::FlushFileBuffers(file));
    const DWORD error = ::GetLastError();
    ::CloseHandle(file);
    if (!written || !::MoveFileExW(temporary.c_str(), target.c_str(),
                                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD why = written ? ::GetLastError() : error;
        ::DeleteFileW(temporary.c_str());
        return platform::Fail(path + ": " + SystemReason(why));
    }
    return {};
}

// Windows answers "may I write here" only by trying: the folder's access list, not its
// read-only flag, decides. A file that goes when its handle closes is the try.
platform::Result<void> FolderWritable(const std::string& folder) {
    std::filesystem::path path = platform::FilePath(folder);
    std::error_code ec;
    while (!std::filesystem::exists(path, ec)) {
        if (!path.has_relative_path() || path == path.parent_path())
            return platform::Fail(folder +
                                  " cannot be written: " + SystemReason(ERROR_PATH_NOT_FOUND));
        path = path.parent_path();
    }
    if (!std::filesystem::is_directory(path, ec))
        return platform::Fail(folder + " cannot be written: " + SystemReason(ERROR_DIRECTORY));
    const std::wstring probe =
        (path / ("sirenwatch-probe-" + std::to_string(::GetCurrentProcessId()) + ".tmp")).wstring();
    const HANDLE file =
        ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                      FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return platform::Fail(folder + " cannot be written: " + SystemReason(::GetLastError()));
    ::CloseHandle(file);
    return {};
}

}  // namespace incidents
#endif
