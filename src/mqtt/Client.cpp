// The broker's connection on libmosquitto, driven by a thread of ours with mosquitto_loop, so
// that every failure (refused, unreachable, TLS, a broker that does not answer) ends one session
// and the next attempt follows after a pause. A fresh handle per session: what the broker did
// not acknowledge is resent from the outbox, never from libmosquitto's own queues.
#include "mqtt/Client.h"

#include <mosquitto.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>

#include "platform/Log.h"

namespace mqtt {
namespace {

using Clock = std::chrono::steady_clock;
constexpr char kOnline[] = "online";
constexpr char kOffline[] = "offline";
constexpr auto kOfflineWait = std::chrono::milliseconds(1500);

// libmosquitto is set up once per program, before the first handle.
void InitialiseLibrary() {
    static const int initialised = mosquitto_lib_init();
    (void)initialised;
}

std::string Reason(int code) {
    if (code == MOSQ_ERR_ERRNO) return std::strerror(errno);
    if (code == MOSQ_ERR_TLS)
        return "the TLS handshake failed (is the broker's certificate signed by the CA?)";
    return mosquitto_strerror(code);
}

// The options every handle gets, the login and TLS among them; false and why when one is
// refused (a CA file that cannot be read).
bool SetUp(mosquitto* handle, const ClientSettings& s, std::string& problem) {
    mosquitto_int_option(handle, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    // An emergency goes out at once, not behind the small messages written just before it.
    mosquitto_int_option(handle, MOSQ_OPT_TCP_NODELAY, 1);
    mosquitto_threaded_set(handle, true);
    if (!s.user.empty() &&
        mosquitto_username_pw_set(handle, s.user.c_str(), s.password.c_str()) != MOSQ_ERR_SUCCESS) {
        problem = "the MQTT user name cannot be used";
        return false;
    }
    if (!s.tls) return true;
    const int code =
        mosquitto_tls_set(handle, s.caFile.empty() ? nullptr : s.caFile.c_str(),
                          s.caFile.empty() ? "/etc/ssl/certs" : nullptr, nullptr, nullptr, nullptr);
    if (code != MOSQ_ERR_SUCCESS) {
        problem = "the CA file " + s.caFile + " cannot be used: " + Reason(code);
        return false;
    }
    return true;
}

template <typename Body>
void Guarded(const char* where, Body&& body) noexcept {
    try {
        body();
    } catch (const std::exception& e) {
        platform::LogLine(platform::Level::Error, "mqtt") << where << ": " << e.what();
    } catch (...) {
        platform::LogLine(platform::Level::Error, "mqtt") << where << ": an unknown failure";
    }
}

}  // namespace

Client::Client(ClientSettings settings, net::UiQueue& ui, Listener listener)
    : settings_(std::move(settings)),
      ui_(ui),
      listener_(std::make_shared<Listener>(std::move(listener))),
      outbox_(settings_.capacity) {
    InitialiseLibrary();
}

Client::~Client() {
    Stop();
}

void Client::Start() {
    if (thread_.joinable()) return;
    stopping_ = false;
    thread_ = std::thread([this] { Run(); });
}

std::size_t Client::Publish(Message message) {
    std::lock_guard lock(mutex_);
    const std::size_t dropped = outbox_.Add(std::move(message));
    HandMore();
    return dropped;
}

void Client::Stop(std::chrono::milliseconds grace) {
    if (!thread_.joinable()) return;
    {
        std::lock_guard lock(mutex_);
        grace_ = grace;
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

std::size_t Client::Waiting() const {
    std::lock_guard lock(mutex_);
    return outbox_.Size();
}

std::size_t Client::Dropped() const {
    std::lock_guard lock(mutex_);
    return outbox_.Dropped();
}

void Client::Run() {
    int delay_ms = settings_.firstRetry_ms;
    while (!stopping_) {
        bool accepted = false;
        Guarded("the broker's connection", [&] { accepted = Session(); });
        if (stopping_) break;
        if (accepted) delay_ms = settings_.firstRetry_ms;
        WaitBeforeRetry(delay_ms);
        delay_ms = std::min(delay_ms * 2, settings_.maxRetry_ms);
    }
}

void Client::WaitBeforeRetry(int delay_ms) {
    std::unique_lock lock(mutex_);
    wake_.wait_for(lock, std::chrono::milliseconds(delay_ms), [this] { return stopping_.load(); });
}

bool Client::Session() {
    mosquitto* handle = mosquitto_new(settings_.clientId.c_str(), true, this);
    if (handle == nullptr) {
        Tell({false, "libmosquitto could not make a client: " + Reason(MOSQ_ERR_ERRNO)});
        return false;
    }
    std::string problem;
    if (!Configure(handle, problem)) {
        mosquitto_destroy(handle);
        Tell({false, problem});
        return false;
    }
    const auto start = Clock::now();
    const auto connectTimeout = std::chrono::milliseconds(settings_.connectTimeout_ms);
    int code = mosquitto_connect_async(handle, settings_.host.c_str(), settings_.port,
                                       settings_.keepalive_s);
    if (code != MOSQ_ERR_SUCCESS) problem = Reason(code);
    bool accepted = false;
    Clock::time_point stopAt{};
    while (problem.empty()) {
        code = mosquitto_loop(handle, 100, 1);
        Step step = Step::Go;
        {
            std::lock_guard lock(mutex_);
            accepted = accepted || connected_;
            if (!refusal_.empty()) {
                problem = "the broker refused the login: " + refusal_;
            } else if (code != MOSQ_ERR_SUCCESS) {
                problem = code == MOSQ_ERR_CONN_LOST ? "the connection was lost" : Reason(code);
            } else if (!connected_ && Clock::now() - start > connectTimeout) {
                problem = "no answer from the broker within " +
                          std::to_string(settings_.connectTimeout_ms / 1000) + " s";
            } else if (stopping_) {
                if (stopAt == Clock::time_point{}) stopAt = Clock::now() + grace_;
                step = Farewell(handle, stopAt);
            }
        }
        if (step == Step::End) break;
        if (step == Step::Disconnect) {
            mosquitto_disconnect(handle);
            for (int i = 0; i < 10 && mosquitto_loop(handle, 10, 1) == MOSQ_ERR_SUCCESS; ++i) {
            }
            break;
        }
    }
    {
        std::lock_guard lock(mutex_);
        handle_ = nullptr;
        connected_ = false;
        outbox_.ConnectionLost();
    }
    mosquitto_destroy(handle);
    if (!stopping_) Tell({false, problem});
    return accepted;
}

bool Client::Configure(mosquitto* handle, std::string& problem) {
    if (!SetUp(handle, settings_, problem)) return false;
    mosquitto_will_set(handle, settings_.statusTopic.c_str(), int(sizeof kOffline - 1), kOffline, 1,
                       true);
    mosquitto_connect_callback_set(handle, &Client::OnConnect);
    mosquitto_publish_callback_set(handle, &Client::OnPublish);
    mosquitto_message_callback_set(handle, &Client::OnMessage);
    std::lock_guard lock(mutex_);
    handle_ = handle;
    connected_ = false;
    refusal_.clear();
    offlineId_ = -1;
    offlineAcknowledged_ = false;
    return true;
}

// Under the lock. What waits goes out first (for `grace`), then "offline", then a clean end.
Client::Step Client::Farewell(mosquitto* handle, Clock::time_point stopAt) {
    if (!connected_) return Step::End;
    const auto now = Clock::now();
    if (offlineId_ < 0 && (outbox_.Size() == 0 || now >= stopAt)) {
        const int code = mosquitto_publish(handle, &offlineId_, settings_.statusTopic.c_str(),
                                           int(sizeof kOffline - 1), kOffline, 1, true);
        return code == MOSQ_ERR_SUCCESS ? Step::Go : Step::End;
    }
    if (offlineId_ < 0 || (!offlineAcknowledged_ && now < stopAt + kOfflineWait)) return Step::Go;
    return Step::Disconnect;
}

void Client::HandMore() {
    while (connected_ && handle_ != nullptr && outbox_.InFlight() < settings_.window) {
        const Message* next = outbox_.NextToHand();
        if (next == nullptr) return;
        int id = 0;
        if (mosquitto_publish(handle_, &id, next->topic.c_str(), int(next->payload.size()),
                              next->payload.data(), 1, next->retain) != MOSQ_ERR_SUCCESS)
            return;  // the session notices the lost connection and ends
        outbox_.Handed(id);
    }
}

void Client::Tell(LinkChange change) {
    ui_.Post([listener = std::weak_ptr<Listener>(listener_), change = std::move(change)] {
        if (const auto alive = listener.lock(); alive && *alive) (*alive)(change);
    });
}

void Client::OnConnect(mosquitto* handle, void* self, int code) {
    auto* client = static_cast<Client*>(self);
    Guarded("the broker's answer", [&] {
        std::lock_guard lock(client->mutex_);
        if (code != 0) {
            client->refusal_ = mosquitto_connack_string(code);
            return;
        }
        client->connected_ = true;
        const std::string& topic = client->settings_.statusTopic;
        mosquitto_publish(handle, nullptr, topic.c_str(), int(sizeof kOnline - 1), kOnline, 1,
                          true);
        for (const std::string& filter : client->settings_.subscriptions)
            mosquitto_subscribe(handle, nullptr, filter.c_str(), 1);
        client->HandMore();
        client->Tell({true, {}});
    });
}

void Client::OnPublish(mosquitto*, void* self, int id) {
    auto* client = static_cast<Client*>(self);
    Guarded("the broker's acknowledgement", [&] {
        std::lock_guard lock(client->mutex_);
        if (id == client->offlineId_) {
            client->offlineAcknowledged_ = true;
            return;
        }
        client->outbox_.Acknowledged(id);
        client->HandMore();
    });
}

void Client::OnMessage(mosquitto*, void* self, const mosquitto_message* message) {
    auto* client = static_cast<Client*>(self);
    Guarded("a message from the broker", [&] {
        if (!client->inbox_ || message->topic == nullptr || message->payloadlen < 0 ||
            static_cast<std::size_t>(message->payloadlen) > kMaxIncomingBytes)
            return;
        Incoming incoming{message->topic, {}};
        if (message->payloadlen > 0)
            incoming.payload.assign(static_cast<const char*>(message->payload),
                                    static_cast<std::size_t>(message->payloadlen));
        client->ui_.Post(
            [inbox = std::weak_ptr<Inbox>(client->inbox_), incoming = std::move(incoming)] {
                if (const auto alive = inbox.lock(); alive && *alive) (*alive)(incoming);
            });
    });
}

std::optional<std::string> TryBroker(const ClientSettings& settings,
                                     std::chrono::milliseconds timeout) {
    InitialiseLibrary();
    struct Answer {
        bool answered = false;
        int code = 0;
    } answer;
    mosquitto* handle = mosquitto_new(settings.clientId.c_str(), true, &answer);
    if (handle == nullptr) return "libmosquitto could not make a client: " + Reason(MOSQ_ERR_ERRNO);
    std::string problem;
    if (SetUp(handle, settings, problem)) {
        mosquitto_connect_callback_set(handle, [](mosquitto*, void* data, int code) {
            auto* a = static_cast<Answer*>(data);
            a->answered = true;
            a->code = code;
        });
        const auto until = Clock::now() + timeout;
        int code = mosquitto_connect_async(handle, settings.host.c_str(), settings.port,
                                           settings.keepalive_s);
        while (code == MOSQ_ERR_SUCCESS && !answer.answered && Clock::now() < until)
            code = mosquitto_loop(handle, 100, 1);
        if (answer.answered && answer.code != 0)
            problem = std::string("the broker refused the login: ") +
                      mosquitto_connack_string(answer.code);
        else if (code != MOSQ_ERR_SUCCESS && !answer.answered)
            problem = Reason(code);
        else if (!answer.answered)
            problem =
                "no answer from the broker within " + std::to_string(timeout.count() / 1000) + " s";
        if (answer.answered && answer.code == 0) {
            mosquitto_disconnect(handle);
            mosquitto_loop(handle, 100, 1);
        }
    }
    mosquitto_destroy(handle);
    if (problem.empty()) return std::nullopt;
    return problem;
}

}  // namespace mqtt
