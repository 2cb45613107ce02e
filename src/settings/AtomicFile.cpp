// Whole-file replacement through a temporary file in the same folder.
#include "settings/AtomicFile.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <random>

#include "platform/Paths.h"

namespace settings {

namespace {

namespace fs = std::filesystem;

// The file to replace: the target of a symbolic link, so the link itself survives.
fs::path TargetOf(const std::string& file) {
    std::error_code ec;
    fs::path path = platform::FilePath(file);
    if (fs::is_symlink(fs::symlink_status(path, ec))) {
        fs::path resolved = fs::weakly_canonical(path, ec);
        if (!ec) return resolved;
    }
    return path;
}

std::error_code LastError(std::errc fallback) {
    return errno != 0 ? std::error_code(errno, std::generic_category())
                      : std::make_error_code(fallback);
}

// An existing file that is marked read-only (no write permission for anyone) or cannot be
// opened for writing is not replaced, as it would not be rewritten in place either.
bool MayReplace(const fs::path& target, std::error_code& error) {
    std::error_code ec;
    auto status = fs::status(target, ec);
    if (ec || !fs::exists(status)) return true;
    if (!fs::is_regular_file(status)) {
        error = std::make_error_code(std::errc::is_a_directory);
        return false;
    }
    constexpr auto anyWrite =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if ((status.permissions() & anyWrite) == fs::perms::none) {
        error = std::make_error_code(std::errc::permission_denied);
        return false;
    }
    errno = 0;
    std::ofstream probe(target, std::ios::binary | std::ios::app);
    if (!probe) {
        error = LastError(std::errc::permission_denied);
        return false;
    }
    return true;
}

fs::path TemporaryBeside(const fs::path& target) {
    static std::mt19937 generator{std::random_device{}()};
    fs::path tmp = target;
    tmp += ".tmp" + std::to_string(generator() % 1000000);
    return tmp;
}

// Settings may hold a secret (the dashboard's token): the file is its owner's alone before
// anything is written to it. A file replaced keeps the permissions it had.
bool WriteTemporary(const fs::path& tmp, std::string_view content, std::error_code& error) {
    errno = 0;
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    if (!out) {
        error = LastError(std::errc::permission_denied);
        return false;
    }
    fs::permissions(tmp, fs::perms::owner_read | fs::perms::owner_write, error);
    if (error) {
        out.close();
        std::error_code ignored;
        fs::remove(tmp, ignored);
        return false;
    }
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    out.close();
    if (!out) {
        error = LastError(std::errc::io_error);
        std::error_code ignored;
        fs::remove(tmp, ignored);
        return false;
    }
    return true;
}

}  // namespace

bool ReplaceFileContent(const std::string& file, std::string_view content, std::error_code& error) {
    error.clear();
    const fs::path target = TargetOf(file);
    if (!MayReplace(target, error)) return false;
    const fs::path tmp = TemporaryBeside(target);
    if (!WriteTemporary(tmp, content, error)) return false;
    std::error_code ec;
    auto oldPerms = fs::status(target, ec).permissions();
    if (!ec && oldPerms != fs::perms::unknown) fs::permissions(tmp, oldPerms, ec);
    fs::rename(tmp, target, error);
    if (error) {
        std::error_code ignored;
        fs::remove(tmp, ignored);
        return false;
    }
    return true;
}

}  // namespace settings
