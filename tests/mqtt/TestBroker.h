// A real Mosquitto for the tests, on a free loopback port, with TLS (a CA and a server
// certificate made with openssl at the test's start), a password file and an ACL that keeps
// each watcher to its own topics; and a subscribing client on libmosquitto that keeps what
// it hears. Everything is waited for with a bound, never slept for.
#pragma once

#include <mosquitto.h>
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

namespace mqtt_test {

// Keeps the test's event loop going (the program's standard input and output) meanwhile.
inline bool WaitUntil(const std::function<bool()>& condition, int timeout_ms) {
    QDeadlineTimer deadline(timeout_ms);
    while (!condition()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
    return true;
}

inline void Run(const QString& program, const QStringList& args, const QString& folder) {
    QProcess p;
    p.setWorkingDirectory(folder);
    p.start(program, args);
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        throw std::runtime_error(program.toStdString() +
                                 " failed: " + p.readAllStandardError().toStdString());
}

class TestBroker {
public:
    // Users: N0CALL, N1CALL and N2CALL (watchers, password "pw-<name>"), reader (reads
    // everything).
    TestBroker() {
        if (!folder_.isValid()) throw std::runtime_error("no temporary folder");
        QTcpServer probe;  // a free port, given back at once
        probe.listen(QHostAddress::LocalHost);
        port_ = probe.serverPort();
        probe.close();
        const QString ec = "ec:" + Path("curve.pem");
        Run("openssl", {"ecparam", "-name", "prime256v1", "-out", "curve.pem"}, Folder());
        Run("openssl",
            {"req", "-x509", "-newkey", ec, "-nodes", "-keyout", "ca.key", "-out", "ca.crt",
             "-days", "2", "-subj", "/CN=Sirenwatch test CA"},
            Folder());
        Run("openssl",
            {"req", "-newkey", ec, "-nodes", "-keyout", "server.key", "-out", "server.csr", "-subj",
             "/CN=localhost"},
            Folder());
        Write("san.ext", "subjectAltName=DNS:localhost,IP:127.0.0.1\n");
        Run("openssl",
            {"x509", "-req", "-in", "server.csr", "-CA", "ca.crt", "-CAkey", "ca.key",
             "-CAcreateserial", "-out", "server.crt", "-days", "2", "-extfile", "san.ext"},
            Folder());
        Run("mosquitto_passwd", {"-b", "-c", "passwd", "N0CALL", "pw-N0CALL"}, Folder());
        Run("mosquitto_passwd", {"-b", "passwd", "N1CALL", "pw-N1CALL"}, Folder());
        Run("mosquitto_passwd", {"-b", "passwd", "N2CALL", "pw-N2CALL"}, Folder());
        Run("mosquitto_passwd", {"-b", "passwd", "reader", "pw-reader"}, Folder());
        Write("acl", Acl());
        QDir(Folder()).mkpath("store");
        Write("mosquitto.conf", Config());
    }
    ~TestBroker() { Kill(); }

    // The README's ACL: each watcher writes under its own name only and reads the net's
    // incident books; readers read.
    static std::string Acl() {
        return "user reader\ntopic read #\n\n"
               "pattern readwrite sirenwatch/%u/#\n"
               "pattern read sirenwatch/+/book/#\n"
               "pattern readwrite homeassistant/+/sirenwatch_%u/#\n";
    }

    void Start() {
        process_.setProcessChannelMode(QProcess::MergedChannels);
        process_.start("/usr/sbin/mosquitto", {"-c", Path("mosquitto.conf")});
        if (!process_.waitForStarted(10000)) throw std::runtime_error("mosquitto did not start");
        const bool listening = WaitUntil(
            [this] {
                QTcpSocket s;
                s.connectToHost(QHostAddress::LocalHost, port_);
                return s.waitForConnected(200);
            },
            10000);
        if (!listening) throw std::runtime_error("mosquitto does not listen");
    }
    void Kill() {
        if (process_.state() == QProcess::NotRunning) return;
        ::kill(static_cast<pid_t>(process_.processId()), SIGKILL);
        process_.waitForFinished(5000);
    }

    std::uint16_t Port() const { return port_; }
    QString Url() const { return QString("mqtts://localhost:%1").arg(port_); }
    QString Path(const char* name) const { return folder_.path() + "/" + name; }
    QString Folder() const { return folder_.path(); }
    // A password file for a user, private as the program wants it.
    QString PasswordFile(const QString& password) const {
        const QString file = Path("password-") + password;
        Write(file, password.toStdString() + "\n");
        QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
        return file;
    }

private:
    std::string Config() const {
        std::string c = "per_listener_settings false\nallow_anonymous false\n";
        c += "password_file " + Path("passwd").toStdString() + "\n";
        c += "acl_file " + Path("acl").toStdString() + "\n";
        // A subscriber's session outlives a kill -9: saved at every change.
        c += "persistence true\npersistence_location " + Path("store").toStdString() + "/\n";
        c += "autosave_on_changes true\nautosave_interval 1\n";
        if (::geteuid() == 0) c += "user root\n";
        c += "listener " + std::to_string(port_) + " 127.0.0.1\n";
        c += "cafile " + Path("ca.crt").toStdString() + "\n";
        c += "certfile " + Path("server.crt").toStdString() + "\n";
        c += "keyfile " + Path("server.key").toStdString() + "\n";
        return c;
    }
    void Write(const QString& name, const std::string& text) const {
        QFile file(name.startsWith('/') ? name : Path(name.toUtf8().constData()));
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(text.data(), qint64(text.size())) != qint64(text.size()))
            throw std::runtime_error("cannot write " + name.toStdString());
    }

    QTemporaryDir folder_;
    std::uint16_t port_ = 0;
    QProcess process_;
};

struct Heard {
    std::string topic;
    std::string payload;
    bool retained = false;
};

// A client on its own libmosquitto thread, reconnecting by itself; with `session` its
// subscriptions and what they missed are kept by the broker while it is away.
class TestClient {
public:
    TestClient(const TestBroker& broker, const std::string& user, bool session = false,
               const std::string& id = "") {
        mosquitto_lib_init();
        const std::string clientId = id.empty() ? user + "-test" : id;
        handle_ = mosquitto_new(clientId.c_str(), !session, this);
        mosquitto_username_pw_set(handle_, user.c_str(), ("pw-" + user).c_str());
        mosquitto_tls_set(handle_, broker.Path("ca.crt").toUtf8().constData(), nullptr, nullptr,
                          nullptr, nullptr);
        mosquitto_reconnect_delay_set(handle_, 1, 1, false);
        mosquitto_connect_callback_set(handle_, [](mosquitto* m, void* self, int code) {
            auto* client = static_cast<TestClient*>(self);
            if (code != 0) return;
            std::lock_guard lock(client->mutex_);
            client->connected_ = true;
            if (!client->filter_.empty())
                mosquitto_subscribe(m, nullptr, client->filter_.c_str(), 1);
        });
        mosquitto_subscribe_callback_set(handle_, [](mosquitto*, void* self, int, int, const int*) {
            auto* client = static_cast<TestClient*>(self);
            std::lock_guard lock(client->mutex_);
            client->subscribed_ = true;
        });
        mosquitto_message_callback_set(
            handle_, [](mosquitto*, void* self, const mosquitto_message* m) {
                auto* client = static_cast<TestClient*>(self);
                std::lock_guard lock(client->mutex_);
                client->heard_.push_back({m->topic,
                                          std::string(static_cast<const char*>(m->payload),
                                                      static_cast<std::size_t>(m->payloadlen)),
                                          m->retain});
            });
        mosquitto_connect_async(handle_, "localhost", broker.Port(), 30);
        mosquitto_loop_start(handle_);
    }
    ~TestClient() {
        mosquitto_disconnect(handle_);
        mosquitto_loop_stop(handle_, false);
        mosquitto_destroy(handle_);
    }
    // Subscribes now and after every reconnection.
    // Subscribes once (here when already connected, else when the connection comes) and waits
    // for the broker to confirm it.
    bool Subscribe(const std::string& filter) {
        bool connected = false;
        {
            std::lock_guard lock(mutex_);
            filter_ = filter;
            connected = connected_;
        }
        if (connected &&
            mosquitto_subscribe(handle_, nullptr, filter.c_str(), 1) != MOSQ_ERR_SUCCESS)
            return false;
        return WaitUntil(
            [this] {
                std::lock_guard lock(mutex_);
                return subscribed_;
            },
            10000);
    }
    bool Publish(const std::string& topic, const std::string& payload) {
        return mosquitto_publish(handle_, nullptr, topic.c_str(), int(payload.size()),
                                 payload.data(), 1, false) == MOSQ_ERR_SUCCESS;
    }
    bool Connected() {
        std::lock_guard lock(mutex_);
        return connected_;
    }
    std::vector<Heard> HeardOn(const std::string& topicStart) {
        std::lock_guard lock(mutex_);
        std::vector<Heard> found;
        for (const Heard& h : heard_)
            if (h.topic.rfind(topicStart, 0) == 0) found.push_back(h);
        return found;
    }

private:
    mosquitto* handle_ = nullptr;
    std::mutex mutex_;
    bool connected_ = false;
    bool subscribed_ = false;  // the broker confirmed the subscription
    std::string filter_;
    std::vector<Heard> heard_;
};

}  // namespace mqtt_test
