// Reading the MQTT settings, the broker's address and the password file.
#include "watch_settings/MqttSettings.h"

#include <sys/stat.h>
#ifndef _WIN32
#include <unistd.h>
#endif

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "settings/ProfileFile.h"
#include "watch_settings/Addresses.h"

namespace watch_settings {
namespace {

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::string ModeText(std::filesystem::perms perms) {
    char text[8];
    std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(perms) & 0777u);
    return text;
}

}  // namespace

std::optional<BrokerAddress> ParseBrokerUrl(std::string_view url) {
    const std::string scheme = Lower(url.substr(0, url.find("://")));
    if (url.find("://") == std::string_view::npos || (scheme != "mqtt" && scheme != "mqtts"))
        return std::nullopt;
    BrokerAddress broker;
    broker.tls = scheme == "mqtts";
    std::string_view rest = url.substr(scheme.size() + 3);
    if (rest.ends_with('/')) rest.remove_suffix(1);
    if (rest.find_first_of("/@?#") != std::string_view::npos) return std::nullopt;
    const auto endpoint = ParseEndpoint(rest, broker.tls ? kDefaultMqttsPort : kDefaultMqttPort);
    if (!endpoint) return std::nullopt;
    broker.host = endpoint->host;
    broker.port = endpoint->port;
    return broker;
}

bool UsableTopicLevel(std::string_view name) {
    if (name.empty()) return false;
    for (const char c : name)
        if (c == '/' || c == '+' || c == '#' || static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            return false;
    return true;
}

bool UsableTopicPrefix(std::string_view prefix) {
    if (prefix.empty() || prefix.starts_with('$')) return false;
    for (std::size_t start = 0;;) {
        const std::size_t slash = prefix.find('/', start);
        if (!UsableTopicLevel(prefix.substr(start, slash - start))) return false;
        if (slash == std::string_view::npos) return true;
        start = slash + 1;
    }
}

MqttSettings LoadMqttSettings(const std::string& file,
                              std::vector<builtin_host::SettingNote>& notes) {
    const auto read = [&file](const char* key) {
        return settings::ReadProfileString(file, builtin_host::kHostSection, key, 1024);
    };
    MqttSettings s;
    s.url = read("Mqtt");
    if (const std::string prefix = read("MqttPrefix"); !prefix.empty()) s.prefix = prefix;
    s.watcher = read("MqttWatcher");
    s.user = read("MqttUser");
    s.passwordFile = read("MqttPasswordFile");
    s.caFile = read("MqttCaFile");
    const auto refuse = [&notes](const char* key, const std::string& value, const char* why) {
        notes.push_back({key, std::string(key) + ": \"" + value + "\" " + why, true});
    };
    if (!s.url.empty() && !ParseBrokerUrl(s.url))
        refuse("Mqtt", s.url, "is not mqtt://HOST[:PORT] or mqtts://HOST[:PORT]");
    if (!UsableTopicPrefix(s.prefix))
        refuse("MqttPrefix", s.prefix, "cannot start a topic (no '+', '#', empty levels or '$')");
    if (!s.watcher.empty() && !UsableTopicLevel(s.watcher))
        refuse("MqttWatcher", s.watcher, "cannot stand in a topic (no '/', '+' or '#')");
    return s;
}

std::optional<std::string> ExposedPasswordProblem(const std::string& file,
                                                  std::filesystem::perms mode,
                                                  bool readerOwnsFile) {
    namespace fs = std::filesystem;
    const bool others = (mode & fs::perms::others_read) != fs::perms::none;
    const bool group = readerOwnsFile && (mode & fs::perms::group_read) != fs::perms::none;
    if (!others && !group) return std::nullopt;
    return "the MQTT password file " + file + " can be read by " +
           (others ? "every user of this machine" : "the file's group") + " (mode " +
           ModeText(mode) + "); make it private first: chmod " +
           (readerOwnsFile ? "600 " : "o-rwx ") + file;
}

platform::Result<std::string> ReadPasswordFile(const std::string& file) {
    struct stat status {};
    if (::stat(file.c_str(), &status) != 0)
        return platform::Fail("cannot read the MQTT password file " + file + ": " +
                              std::strerror(errno));
#ifndef _WIN32  // Windows keeps who may read a file in its access lists, not in a mode
    const auto mode = static_cast<std::filesystem::perms>(status.st_mode & 07777);
    if (auto problem = ExposedPasswordProblem(file, mode, status.st_uid == ::geteuid()))
        return platform::Fail(std::move(*problem));
#endif
    std::ifstream in(file);
    std::string password;
    if (!in || !std::getline(in, password))
        return platform::Fail("cannot read the MQTT password file " + file +
                              (in ? ": it is empty" : ": " + std::string(std::strerror(errno))));
    if (password.ends_with('\r')) password.pop_back();
    return password;
}

}  // namespace watch_settings
