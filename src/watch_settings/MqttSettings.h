// Where the watch publishes its events on an MQTT broker, as the settings and the command line
// say it: the broker's address (mqtt:// or mqtts://), the topics' prefix and the watcher's name,
// the login and the file its password is kept in, the CA the broker's certificate is checked by.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "builtin_host/HostSettings.h"
#include "platform/Result.h"

namespace watch_settings {

inline constexpr std::uint16_t kDefaultMqttPort = 1883;
inline constexpr std::uint16_t kDefaultMqttsPort = 8883;
inline constexpr char kDefaultMqttPrefix[] = "sirenwatch";

struct BrokerAddress {
    bool tls = false;  // mqtts://
    std::string host;
    std::uint16_t port = kDefaultMqttPort;
};

struct MqttSettings {
    std::string url;                          // Mqtt=: empty, no broker
    std::string prefix = kDefaultMqttPrefix;  // MqttPrefix=: the net's topics start with it
    std::string watcher;                      // MqttWatcher=: empty, the home station's callsign
    std::string user;                         // MqttUser=
    std::string passwordFile;                 // MqttPasswordFile=: the password is its first line
    std::string caFile;                       // MqttCaFile=: for mqtts://; empty, the system's CAs
};

// "mqtt://HOST[:PORT]" or "mqtts://HOST[:PORT]" ("[::1]" for IPv6); nothing when unusable.
std::optional<BrokerAddress> ParseBrokerUrl(std::string_view url);

// Whether a name can stand in a topic as one level: not empty, no '/', '+', '#' or control
// characters. A prefix may have several levels, each such a name.
bool UsableTopicLevel(std::string_view name);
bool UsableTopicPrefix(std::string_view prefix);

// The [Sirenwatch Host] section's MQTT keys of a host settings file; what cannot be used is
// noted (a prefix or watcher name that cannot stand in a topic refuses the start).
MqttSettings LoadMqttSettings(const std::string& hostIniFile,
                              std::vector<builtin_host::SettingNote>& notes);

// The password kept in `file`: its first line. Refused when other users can read the file
// (the same rule as the dashboard's token), or when it cannot be read.
platform::Result<std::string> ReadPasswordFile(const std::string& file);
// The problem with a password file of this mode, or nothing when only its owner (and, for a
// reader that is not the owner, the file's group) can read it.
std::optional<std::string> ExposedPasswordProblem(const std::string& file,
                                                  std::filesystem::perms mode, bool readerOwnsFile);

}  // namespace watch_settings
