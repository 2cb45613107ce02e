// One connection to an MQTT broker on libmosquitto, kept on a thread of its own: QoS 1
// publishing from a bounded outbox, a retained online/offline status with "offline" as the last
// will, reconnection with a growing pause. Whatever the broker does, the caller never waits for
// it; what the connection has to say reaches the UI thread through a net::UiQueue.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "mqtt/Outbox.h"
#include "net/UiQueue.h"

struct mosquitto;
struct mosquitto_message;

namespace mqtt {

// Whether an mqtts:// broker's certificate can be checked against the system's own CAs (Linux's
// /etc/ssl/certs). The Windows build's OpenSSL reads no Windows certificate store, so there the
// CA file must be named.
#ifdef _WIN32
inline constexpr bool kSystemCas = false;
#else
inline constexpr bool kSystemCas = true;
#endif

struct ClientSettings {
    std::string host;
    std::uint16_t port = 1883;
    bool tls = false;
    std::string caFile;  // for TLS; empty: the system's CAs
    std::string user;    // empty: no login
    std::string password;
    std::string clientId;
    std::string statusTopic;  // retained "online" while connected, "offline" otherwise
    int keepalive_s = 30;
    int connectTimeout_ms = 10000;  // from the attempt to the broker's answer
    int firstRetry_ms = 1000;       // then twice as long each time, up to maxRetry_ms
    int maxRetry_ms = 30000;
    std::size_t capacity = Outbox::kDefaultCapacity;
    std::size_t window = 20;                 // messages travelling unacknowledged at once
    std::vector<std::string> subscriptions;  // QoS 1, made again on every connection
};

// A message the broker passed on from a subscription.
struct Incoming {
    std::string topic;
    std::string payload;
};

// The connection came up, or went down (or could not be made) and why.
struct LinkChange {
    bool up = false;
    std::string reason;  // in words, while down
};

class Client {
public:
    using Listener = std::function<void(const LinkChange&)>;
    using Inbox = std::function<void(const Incoming&)>;
    static constexpr std::size_t kMaxIncomingBytes = 1024 * 1024;  // larger ones are dropped

    // `listener` runs on the UI thread, when `ui` is drained.
    Client(ClientSettings settings, net::UiQueue& ui, Listener listener);
    ~Client();  // Stop() with no grace
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    // Before Start: where the subscriptions' messages go, on the UI thread.
    void SetInbox(Inbox inbox) { inbox_ = std::make_shared<Inbox>(std::move(inbox)); }
    void Start();
    // Queues a message (QoS 1); gives how many older messages the outbox gave up for it.
    std::size_t Publish(Message message);
    // Ends the connection: while connected, what waits has up to `grace` to go out, then
    // "offline" is published and the connection closed cleanly (no last will).
    void Stop(std::chrono::milliseconds grace = std::chrono::milliseconds(0));

    std::size_t Waiting() const;
    std::size_t Dropped() const;

private:
    enum class Step { Go, Disconnect, End };

    void Run();
    // One connection, from the attempt to its end; true when the broker accepted it.
    bool Session();
    bool Configure(mosquitto* handle, std::string& problem);
    // What a stopping session does next: what waits goes out, then "offline", then it ends.
    Step Farewell(mosquitto* handle, std::chrono::steady_clock::time_point stopAt);
    void HandMore();  // under the lock
    void Tell(LinkChange change);
    void WaitBeforeRetry(int delay_ms);

    static void OnConnect(mosquitto* handle, void* self, int code);
    static void OnPublish(mosquitto* handle, void* self, int id);
    static void OnMessage(mosquitto* handle, void* self, const mosquitto_message* message);

    ClientSettings settings_;
    net::UiQueue& ui_;
    std::shared_ptr<Listener> listener_;
    std::shared_ptr<Inbox> inbox_;

    mutable std::mutex mutex_;  // guards what follows, down to the thread
    Outbox outbox_;
    mosquitto* handle_ = nullptr;
    bool connected_ = false;
    std::string refusal_;  // the broker's answer when it refused the login
    int offlineId_ = -1;
    bool offlineAcknowledged_ = false;

    std::atomic<bool> stopping_{false};
    std::chrono::milliseconds grace_{0};
    std::condition_variable wake_;
    std::thread thread_;
};

// Tries a broker once: connects (with the same settings) and disconnects within `timeout`.
// Nothing when it answered and accepted the login; the problem in words otherwise.
std::optional<std::string> TryBroker(const ClientSettings& settings,
                                     std::chrono::milliseconds timeout);

}  // namespace mqtt
