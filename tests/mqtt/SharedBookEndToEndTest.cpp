// Watchers of one net keeping one incident book over a real Mosquitto: an incident opened at
// one, heard at another, acknowledged and taken elsewhere reads the same on every dashboard;
// a broker killed in a burst of emergencies loses none at any watcher; a hostile member's
// messages neither stop a watcher nor change its book.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <chrono>
#include <map>
#include <memory>

#include "../e2e/SirenwatchRun.h"
#include "TestBroker.h"
#include "net_book/NetMessages.h"

namespace mqtt_test {
namespace {

using e2e::FreePort;
using e2e::SirenwatchRun;
constexpr int kStep_ms = 30000;  // generous: three watchers on a busy machine
constexpr char kToken[] = "shared-book-token";

QByteArray EmergencyLine(int n) {
    return QString("K%1XYZ>423W1T,WIDE1-1:`c0ooZO>/]\"6)}EMERGENCY %1\n").arg(n).toUtf8();
}

QByteArray Http(quint16 port, const QByteArray& method, const QByteArray& path,
                const QByteArray& body = {}) {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(5000)) return {};
    socket.write(method + " " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n" +
                 "X-Sirenwatch-Token: " + kToken + "\r\nContent-Type: application/json\r\n" +
                 "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body);
    QByteArray reply;
    while (socket.waitForReadyRead(5000)) reply += socket.readAll();
    return reply;
}

// A dashboard's event stream, read as it comes: each message is the whole state.
class EventStream {
public:
    explicit EventStream(quint16 port) {
        socket_.connectToHost(QHostAddress::LocalHost, port);
        if (socket_.waitForConnected(5000))
            socket_.write(QByteArray("GET /api/events HTTP/1.1\r\nHost: 127.0.0.1\r\n") +
                          "X-Sirenwatch-Token: " + kToken + "\r\n\r\n");
    }
    // Whether the latest message holds `text`, waiting for one that does.
    bool Says(const QByteArray& text) {
        return WaitUntil(
            [&] {
                socket_.waitForReadyRead(100);
                got_ += socket_.readAll();
                const auto last = got_.lastIndexOf("data: ");
                return last >= 0 && got_.indexOf(text, last) >= 0;
            },
            kStep_ms);
    }

private:
    QTcpSocket socket_;
    QByteArray got_;
};

// One watcher of the net: the real program on standard input, its dashboard on a free port.
struct Watcher {
    explicit Watcher(const TestBroker& broker, const QString& name) : name(name) {
        const QString built = QFileInfo(QString(SIRENWATCH_EXE)).absolutePath();
        QFile::link(built + "/dashboard", run.ProgramFolder() + "/dashboard");
        e2e::WriteHostSettings(
            run, "[Sirenwatch Host]\nDashboardToken=" + QByteArray(kToken) +
                     "\nMqtt=" + broker.Url().toUtf8() + "\nMqttWatcher=" + name.toUtf8() +
                     "\nMqttUser=" + name.toUtf8() +
                     "\nMqttPasswordFile=" + broker.PasswordFile("pw-" + name).toUtf8() +
                     "\nMqttCaFile=" + broker.Path("ca.crt").toUtf8() + "\n");
        run.Start({"--stdin", "--json", "--dashboard", QString::number(port)});
    }
    bool Restart() {
        if (!run.Terminate()) return false;
        run.Start({"--stdin", "--json", "--dashboard", QString::number(port)});
        return run.WaitFor([this] { return Online(); }, kStep_ms);
    }
    // The station's incidents that are not closed.
    std::vector<QJsonObject> Open(const QString& call) {
        std::vector<QJsonObject> open;
        for (const auto& item : State()["incidents"].toArray())
            if (item.toObject()["callsign"] == call && item.toObject()["stateKey"] != "closed")
                open.push_back(item.toObject());
        return open;
    }
    QJsonObject State() {
        const QByteArray reply = Http(port, "GET", "/api/state");
        return QJsonDocument::fromJson(reply.mid(reply.indexOf("\r\n\r\n") + 4)).object();
    }
    // The incidents the dashboard lists, by callsign (each callsign once, or "twice").
    std::map<QString, QJsonObject> Incidents() {
        std::map<QString, QJsonObject> found;
        for (const auto& item : State()["incidents"].toArray()) {
            const QJsonObject incident = item.toObject();
            const QString call = incident["callsign"].toString();
            found[found.contains(call) ? call + " twice" : call] = incident;
        }
        return found;
    }
    bool Online() { return State()["net"].toObject()["down"] == false; }
    QByteArray Act(const QByteArray& action, const QString& call, const QByteArray& who) {
        const QString id = Incidents()[call]["id"].toString();
        return Http(port, "POST", "/api/action",
                    R"({"action":")" + action + R"(","operator":")" + who + R"(","incident":")" +
                        id.toUtf8() + "\"}");
    }

    QString name;
    quint16 port = FreePort();
    SirenwatchRun run;
};

using Watchers = std::vector<std::unique_ptr<Watcher>>;

Watchers StartNet(const TestBroker& broker, std::initializer_list<const char*> names) {
    Watchers net;
    for (const char* name : names) net.push_back(std::make_unique<Watcher>(broker, name));
    for (auto& w : net)
        EXPECT_TRUE(w->run.WaitFor([&] { return w->Online(); }, kStep_ms)) << w->run.Errors();
    return net;
}

// Every watcher's dashboard says `call`'s one incident has `key` = `value`.
bool AllSay(Watchers& net, const QString& call, const char* key, const QString& value) {
    return WaitUntil(
        [&] {
            for (auto& w : net) {
                auto incidents = w->Incidents();
                if (incidents.contains(call + " twice") || incidents[call][key] != value)
                    return false;
            }
            return true;
        },
        kStep_ms);
}

bool AllAlarms(Watchers& net, bool on) {
    return WaitUntil(
        [&] {
            for (auto& w : net)
                if (w->State()["alarm"].toBool() != on) return false;
            return true;
        },
        kStep_ms);
}

TEST(MqttSharedBook, ThreeWatchersKeepOneIncidentWithEverySiteThatHeardIt) {
    TestBroker broker;
    broker.Start();
    Watchers net = StartNet(broker, {"N0CALL", "N1CALL", "N2CALL"});
    net[0]->run.Process().write(EmergencyLine(1));
    ASSERT_TRUE(AllSay(net, "K1XYZ", "stateKey", "new")) << net[1]->run.Errors();
    EXPECT_TRUE(AllAlarms(net, true)) << "a fresh emergency sounds at every watcher";

    // A copy heard at a second site joins the incident, which names both sites everywhere, and
    // a dashboard that watches is told at once, though no state changed.
    EventStream watching(net[1]->port);
    ASSERT_TRUE(watching.Says(R"("sites":["N0CALL"])"));
    net[2]->run.Process().write(EmergencyLine(1));
    const QJsonArray bothSites{"N0CALL", "N2CALL"};
    ASSERT_TRUE(WaitUntil(
        [&] {
            for (auto& w : net)
                if (w->Incidents()["K1XYZ"]["sites"].toArray() != bothSites) return false;
            return true;
        },
        kStep_ms))
        << QJsonDocument(net[2]->State()).toJson().toStdString() << net[2]->run.Errors()
        << net[2]->run.OutputLines().join(QChar(10)).toStdString();
    EXPECT_TRUE(watching.Says(R"("sites":["N0CALL","N2CALL"])"));

    ASSERT_TRUE(net[1]->Act("acknowledge", "K1XYZ", "Bea").contains("200 OK"));
    ASSERT_TRUE(AllSay(net, "K1XYZ", "stateKey", "acknowledged"));
    EXPECT_TRUE(AllAlarms(net, false)) << "acknowledged anywhere: silenced everywhere";

    ASSERT_TRUE(net[2]->Act("take", "K1XYZ", "Carl").contains("200 OK"));
    ASSERT_TRUE(AllSay(net, "K1XYZ", "stateKey", "being_handled"));
    EXPECT_TRUE(AllSay(net, "K1XYZ", "operator", "Carl"));
    // Taken at one watcher, taken: another operator is refused at another.
    EXPECT_TRUE(net[0]->Act("take", "K1XYZ", "Dan").contains("409"));
    // The opener's incident log records the change from the net once, naming the watcher.
    const QStringList log = e2e::LogLines(net[0]->run.DataHome() + "/sirenwatch/incidents");
    EXPECT_EQ(log.filter("Carl at N2CALL").size(), 1) << log.join('\n').toStdString();
}

TEST(MqttSharedBook, ABrokerKilledInABurstLosesNoIncidentAtAnyWatcher) {
    TestBroker broker;
    broker.Start();
    Watchers net = StartNet(broker, {"N0CALL", "N1CALL"});
    constexpr int kBurst = 20;
    for (int n = 0; n < kBurst; ++n) {
        net[0]->run.Process().write(EmergencyLine(n));
        if (n == 6) broker.Kill();
        if (n == 13) broker.Start();
        net[0]->run.WaitFor([] { return false; }, 30);
    }
    const auto same = [&] {
        const auto here = net[0]->Incidents(), there = net[1]->Incidents();
        if (int(there.size()) != kBurst || here.size() != there.size()) return false;
        for (const auto& [call, incident] : here)
            if (!there.contains(call) || there.at(call)["stateKey"] != incident["stateKey"])
                return false;
        return true;
    };
    ASSERT_TRUE(WaitUntil(same, 60000)) << net[1]->Incidents().size() << " of " << kBurst << "\n"
                                        << net[1]->run.Errors();
    EXPECT_TRUE(AllAlarms(net, true));
    // One acknowledgement of the alarm acknowledges every new incident, at both watchers.
    ASSERT_TRUE(net[1]->Act("acknowledge", "", "Eve").contains("200 OK"));
    EXPECT_TRUE(AllAlarms(net, false));
    ASSERT_TRUE(WaitUntil(
        [&] {
            for (auto& w : net)
                for (const auto& [call, incident] : w->Incidents())
                    if (incident["stateKey"] != "acknowledged") return false;
            return same();
        },
        kStep_ms));
}

TEST(MqttSharedBook, AWatcherBackFromARestartCatchesUpWithOneIncidentPerStation) {
    TestBroker broker;
    broker.Start();
    Watchers net = StartNet(broker, {"N0CALL", "N1CALL"});
    net[0]->run.Process().write(EmergencyLine(5));
    ASSERT_TRUE(AllSay(net, "K5XYZ", "stateKey", "new"));
    ASSERT_TRUE(net[1]->run.Terminate());
    ASSERT_TRUE(net[0]->Act("take", "K5XYZ", "Ada").contains("200 OK"));
    // Back, it keeps the incident it had and learns what happened meanwhile: still one.
    ASSERT_TRUE(net[1]->Restart()) << net[1]->run.Errors();
    ASSERT_TRUE(net[1]->run.WaitFor(
        [&] {
            const auto open = net[1]->Open("K5XYZ");
            return open.size() == 1 && open[0]["operator"] == "Ada";
        },
        kStep_ms))
        << QJsonDocument(net[1]->State()["incidents"].toArray()).toJson().toStdString();
    EXPECT_EQ(net[1]->Open("K5XYZ")[0]["stateKey"], "being_handled");
}

TEST(MqttSharedBook, AHostileMemberNeitherStopsNorMisleadsAWatcher) {
    TestBroker broker;
    broker.Start();
    Watchers net = StartNet(broker, {"N0CALL"});
    TestClient hostile(broker, "N1CALL");
    ASSERT_TRUE(WaitUntil([&] { return hostile.Connected(); }, kStep_ms));
    const std::int64_t now = std::chrono::duration_cast<std::chrono::seconds>(
                                 std::chrono::system_clock::now().time_since_epoch())
                                 .count();
    // An opening in another watcher's name, and an action on an incident nobody opened.
    net_book::NetChange forged;
    forged.key = {"N2CALL", 7};
    forged.watcher = "N2CALL";
    forged.sequence = 1;
    forged.time_s = now;
    forged.callsign = "K9FAKE";
    net_book::NetChange orphan = forged;
    orphan.key = {"N1CALL", 999};
    orphan.watcher = "N1CALL";
    orphan.callsign = "K8NONE";
    orphan.kind = net_book::Kind::Operator;
    orphan.operatorName = "Mallory";
    const std::string topic = "sirenwatch/N1CALL/book/changes";
    for (const std::string& payload :
         {std::string("{not json"), std::string(1024 * 1024, 'x'), net_book::FormatChange(forged),
          net_book::FormatChange(orphan)})
        ASSERT_TRUE(hostile.Publish(topic, payload));
    ASSERT_TRUE(hostile.Publish("sirenwatch/N1CALL/book/incidents/N2CALL/7", "[]"));
    ASSERT_TRUE(net[0]->run.WaitFor(
        [&] { return net[0]->run.ErrorsSay("a change of N2CALL sent by N1CALL"); }, kStep_ms))
        << net[0]->run.Errors();
    EXPECT_TRUE(net[0]->Incidents().empty());
    EXPECT_FALSE(net[0]->State()["alarm"].toBool());
    // The watch goes on: its own emergency still opens an incident and sounds.
    net[0]->run.Process().write(EmergencyLine(3));
    ASSERT_TRUE(AllSay(net, "K3XYZ", "stateKey", "new")) << net[0]->run.Errors();
    EXPECT_EQ(net[0]->Incidents().size(), 1u);
    EXPECT_EQ(net[0]->run.Process().state(), QProcess::Running);
}

}  // namespace
}  // namespace mqtt_test
