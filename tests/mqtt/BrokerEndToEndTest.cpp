// The real program publishing on a real Mosquitto over TLS with a password: each event arrives
// once and can be told apart, the retained status falls to "offline" when the watcher is
// killed, a broker killed in a burst of emergencies and started again loses none of them, a
// wrong password is told (on the dashboard too) while the watch goes on, and the ACL keeps a
// watcher to its topics.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <set>

#include "../e2e/SirenwatchRun.h"
#include "TestBroker.h"

namespace mqtt_test {
namespace {

using e2e::FreePort;
using e2e::SirenwatchRun;
constexpr int kStep_ms = 20000;  // generous: the machine may be busy compiling

// A Mic-E emergency (message bits 000) from N0CALL-<ssid>.
QByteArray EmergencyLine(int ssid) {
    return QString("N%1CALL-%2>423W1T,WIDE1-1:`c0ooZO>/]\"6)}EMERGENCY %3\n")
        .arg(ssid / 16)
        .arg(ssid % 16)
        .arg(ssid)
        .toUtf8();
}

QJsonObject Json(const std::string& payload) {
    return QJsonDocument::fromJson(QByteArray::fromStdString(payload)).object();
}

void StartWatcher(SirenwatchRun& run, const TestBroker& broker, const QString& password,
                  const QStringList& more = {}) {
    ASSERT_TRUE(e2e::WriteHostSettings(
        run, "[Sirenwatch Host]\nMqtt=" + broker.Url().toUtf8() +
                 "\nMqttUser=N0CALL\nMqttPasswordFile=" + broker.PasswordFile(password).toUtf8() +
                 "\nMqttCaFile=" + broker.Path("ca.crt").toUtf8() + "\n"));
    run.Start(QStringList{"--stdin", "--json"} + more);
}

// The callsigns of the emergencies heard, and how many distinct events they were.
std::set<QString> EmergencyCallsigns(TestClient& reader, std::set<QString>* ids = nullptr) {
    std::set<QString> calls;
    for (const Heard& h : reader.HeardOn("sirenwatch/N0CALL/events/emergency")) {
        const QJsonObject e = Json(h.payload);
        calls.insert(e["callsign"].toString());
        if (ids != nullptr) ids->insert(e["event_id"].toString());
    }
    return calls;
}

std::string Retained(TestClient& client, const std::string& topic) {
    const auto heard = client.HeardOn(topic);
    return heard.empty() ? "(nothing)" : heard.back().payload;
}

TEST(MqttBroker, EachEventArrivesOnceAndAKilledWatcherIsOffline) {
    TestBroker broker;
    broker.Start();
    TestClient reader(broker, "reader");
    ASSERT_TRUE(reader.Subscribe("#"));
    SirenwatchRun run;
    StartWatcher(run, broker, "pw-N0CALL");
    for (int ssid : {1, 2, 3}) run.Process().write(EmergencyLine(ssid));
    ASSERT_TRUE(WaitUntil([&] { return EmergencyCallsigns(reader).size() == 3; }, kStep_ms))
        << run.Errors();
    run.WaitFor([] { return false; }, 300);  // a copy would come now
    std::set<QString> ids;
    EmergencyCallsigns(reader, &ids);
    EXPECT_EQ(reader.HeardOn("sirenwatch/N0CALL/events/emergency").size(), 3u);
    EXPECT_EQ(ids.size(), 3u);
    // The same JSON as --json prints, with its id beside it.
    const QJsonObject first = Json(reader.HeardOn("sirenwatch/N0CALL/events/emergency")[0].payload);
    EXPECT_EQ(first["event"].toString(), "emergency");
    EXPECT_TRUE(first["event_id"].toString().startsWith("N0CALL-"));
    EXPECT_EQ(Retained(reader, "sirenwatch/N0CALL/status"), "online");
    EXPECT_EQ(Json(Retained(reader, "sirenwatch/N0CALL/summary"))["open_incidents"].toInt(), 3);

    ::kill(static_cast<pid_t>(run.Process().processId()), SIGKILL);
    ASSERT_TRUE(WaitUntil([&] { return Retained(reader, "sirenwatch/N0CALL/status") == "offline"; },
                          kStep_ms));
    // A newcomer sees the picture at once: the status, the incidents, Home Assistant's sensors.
    TestClient newcomer(broker, "reader", false, "newcomer");
    ASSERT_TRUE(newcomer.Subscribe("#"));
    ASSERT_TRUE(WaitUntil(
        [&] { return newcomer.HeardOn("sirenwatch/N0CALL/incidents/").size() == 3; }, kStep_ms));
    EXPECT_EQ(Retained(newcomer, "sirenwatch/N0CALL/status"), "offline");
    EXPECT_EQ(Json(Retained(newcomer, "sirenwatch/N0CALL/incidents/1"))["state"].toString(), "new");
    EXPECT_EQ(newcomer.HeardOn("homeassistant/").size(), 2u);
}

// The reader keeps a session at the broker (saved on every change), as a consumer that must
// miss nothing would; libmosquitto's own reconnection gives up after a TLS error, so the reader
// comes back as a new client with the same id.
TEST(MqttBroker, ABrokerKilledInABurstOfEmergenciesLosesNone) {
    TestBroker broker;
    broker.Start();
    const auto reader = [&broker] {
        auto client = std::make_unique<TestClient>(broker, "reader", true, "reader-session");
        EXPECT_TRUE(client->Subscribe("sirenwatch/#"));
        return client;
    };
    auto client = reader();
    SirenwatchRun run;
    StartWatcher(run, broker, "pw-N0CALL");
    constexpr int kBurst = 40;
    std::set<QString> heard, ids;
    for (int ssid = 0; ssid < kBurst; ++ssid) {
        run.Process().write(EmergencyLine(ssid));
        if (ssid == 10) {
            broker.Kill();
            heard = EmergencyCallsigns(*client, &ids);
            client.reset();
        }
        if (ssid == 25) {
            broker.Start();
            client = reader();
        }
        run.WaitFor([] { return false; }, 20);
    }
    const auto all = [&] {
        std::set<QString> calls = heard;
        for (const QString& call : EmergencyCallsigns(*client, &ids)) calls.insert(call);
        return calls;
    };
    ASSERT_TRUE(WaitUntil([&] { return int(all().size()) == kBurst; }, 60000))
        << all().size() << " of " << kBurst << "\n"
        << run.Errors();
    // Each copy QoS 1 may bring is told apart by its event id: one id per emergency.
    EXPECT_EQ(int(ids.size()), kBurst);
    EXPECT_TRUE(run.ErrorsSay("is down since")) << run.Errors();
    EXPECT_TRUE(run.ErrorsSay("is up again after")) << run.Errors();
    EXPECT_EQ(run.OutputLines().filter("\"event\":\"emergency\"").size(), kBurst);
}

TEST(MqttBroker, AWatcherStoppedCleanlySaysSoBeforeItGoes) {
    TestBroker broker;
    broker.Start();
    TestClient reader(broker, "reader");
    ASSERT_TRUE(reader.Subscribe("sirenwatch/#"));
    SirenwatchRun run;
    StartWatcher(run, broker, "pw-N0CALL");
    ASSERT_TRUE(WaitUntil([&] { return Retained(reader, "sirenwatch/N0CALL/status") == "online"; },
                          kStep_ms));
    ASSERT_TRUE(run.Terminate());
    EXPECT_EQ(run.ExitCode(), 0) << run.Errors();
    ASSERT_TRUE(WaitUntil([&] { return Retained(reader, "sirenwatch/N0CALL/status") == "offline"; },
                          kStep_ms));
    const auto told = reader.HeardOn("sirenwatch/N0CALL/events/watch");
    ASSERT_FALSE(told.empty());
    EXPECT_EQ(Json(told.back().payload)["state"].toString(), "stopped");
}

TEST(MqttBroker, AWrongPasswordIsToldAndTheWatchGoesOn) {
    TestBroker broker;
    broker.Start();
    SirenwatchRun run;
    const QString built = QFileInfo(QString(SIRENWATCH_EXE)).absolutePath();
    ASSERT_TRUE(QFile::link(built + "/dashboard", run.ProgramFolder() + "/dashboard"));
    const quint16 port = FreePort();
    StartWatcher(run, broker, "not-the-password", {"--dashboard", QString::number(port)});
    run.Process().write(EmergencyLine(1));
    ASSERT_TRUE(run.WaitFor([&] { return run.ErrorsSay("refused the login"); }, kStep_ms))
        << run.Errors();
    // The dashboard says the net is down, since when and why.
    QJsonObject net;
    ASSERT_TRUE(run.WaitFor(
        [&] {
            net = e2e::DashboardState(port)["net"].toObject();
            return net["down"].toBool() && !net["problem"].toString().isEmpty();
        },
        kStep_ms));
    EXPECT_EQ(net["broker"].toString(), broker.Url());
    EXPECT_GT(net["downSince"].toDouble(), 1.7e9);
    ASSERT_TRUE(run.WaitFor(
        [&] { return run.OutputLines().filter("\"event\":\"emergency\"").size() == 1; }, kStep_ms));
    EXPECT_FALSE(run.ErrorsSay("not-the-password"));  // never logged
}

TEST(MqttBroker, CheckTriesTheBroker) {
    TestBroker broker;
    broker.Start();
    SirenwatchRun run;
    StartWatcher(run, broker, "pw-N0CALL", {"--check"});
    ASSERT_TRUE(run.WaitForExit(kStep_ms));
    EXPECT_EQ(run.ExitCode(), 0) << run.Errors();
    EXPECT_TRUE(run.OutputLines().contains("  the broker " + broker.Url() + " accepted N0CALL"))
        << run.OutputLines().join('\n').toStdString();
}

TEST(MqttBroker, TheAclKeepsAWatcherToItsOwnTopics) {
    TestBroker broker;
    broker.Start();
    TestClient reader(broker, "reader");
    ASSERT_TRUE(reader.Subscribe("#"));
    TestClient watcher(broker, "N0CALL");
    ASSERT_TRUE(WaitUntil([&] { return watcher.Connected(); }, kStep_ms));
    ASSERT_TRUE(watcher.Publish("sirenwatch/N1CALL/events/emergency", "forged"));
    ASSERT_TRUE(watcher.Publish("homeassistant/sensor/sirenwatch_N1CALL/x/config", "forged"));
    ASSERT_TRUE(watcher.Publish("sirenwatch/N0CALL/events/emergency", "own"));
    ASSERT_TRUE(WaitUntil(
        [&] { return !reader.HeardOn("sirenwatch/N0CALL/events/emergency").empty(); }, kStep_ms));
    EXPECT_TRUE(reader.HeardOn("sirenwatch/N1CALL/").empty());
    EXPECT_TRUE(reader.HeardOn("homeassistant/").empty());
}

}  // namespace
}  // namespace mqtt_test
