// Launching the executable in a private sandbox of folders.
#include "SirenwatchRun.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QThread>
#include <stdexcept>

namespace e2e {

namespace {

// What the program needs from its folder: itself, the demo traffic and the siren.
const char* const kShippedFiles[] = {"sirenwatch", "demo.tnc2", "lowtemp.wav"};

void CopyOrThrow(const QString& from, const QString& to) {
    if (!QFile::copy(from, to)) throw std::runtime_error(("cannot copy " + from).toStdString());
}

}  // namespace

SirenwatchRun::SirenwatchRun() : root_(QString(SIRENWATCH_E2E_TMP) + "/run-XXXXXX") {
    if (!root_.isValid()) throw std::runtime_error("no temporary folder");
    QDir root(root_.path());
    for (const char* sub : {"bin", "home", "config", "data", "runtime"}) root.mkpath(sub);
    QFile::setPermissions(root_.path() + "/runtime",
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString source = QFileInfo(QString(SIRENWATCH_EXE)).absolutePath();
    for (const char* name : kShippedFiles)
        CopyOrThrow(source + "/" + name, ProgramFolder() + "/" + name);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", root_.path() + "/home");
    env.insert("XDG_CONFIG_HOME", root_.path() + "/config");
    env.insert("XDG_DATA_HOME", DataHome());
    env.insert("XDG_RUNTIME_DIR", root_.path() + "/runtime");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("LC_ALL", "C.UTF-8");  // "." as the decimal symbol
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    process_.setProcessEnvironment(env);
    process_.setWorkingDirectory(root_.path());
    QObject::connect(&process_, &QProcess::readyReadStandardOutput,
                     [this] { stdout_ += process_.readAllStandardOutput(); });
    QObject::connect(&process_, &QProcess::readyReadStandardError,
                     [this] { stderr_ += process_.readAllStandardError(); });
}

SirenwatchRun::~SirenwatchRun() {
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

QString SirenwatchRun::ProgramFolder() const {
    return root_.path() + "/bin";
}

void SirenwatchRun::Start(const QStringList& args) {
    process_.start(ProgramFolder() + "/sirenwatch", QStringList{"--headless"} + args);
    if (!process_.waitForStarted(10000)) throw std::runtime_error("sirenwatch did not start");
}

bool SirenwatchRun::WaitFor(const std::function<bool()>& condition, int timeout_ms) {
    QDeadlineTimer deadline(timeout_ms);
    while (!condition()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        if (process_.state() == QProcess::Running) process_.waitForReadyRead(5);
        QThread::msleep(2);
    }
    return true;
}

bool SirenwatchRun::WaitForExit(int timeout_ms) {
    return WaitFor([this] { return process_.state() == QProcess::NotRunning; }, timeout_ms);
}

bool SirenwatchRun::Terminate(int timeout_ms) {
    process_.terminate();
    return WaitForExit(timeout_ms);
}

QStringList SirenwatchRun::OutputLines() const {
    return QString::fromUtf8(stdout_).split('\n', Qt::SkipEmptyParts);
}

std::vector<QStringList> SirenwatchRun::Emergencies() const {
    std::vector<QStringList> found;
    for (const QString& line : OutputLines()) {
        if (line.startsWith("EMERGENCY\t")) found.push_back(line.split('\t'));
    }
    return found;
}

int SirenwatchRun::CountLines(const QString& line) const {
    return static_cast<int>(OutputLines().count(line));
}

double DisplayToDegrees(const QString& text) {
    // "42.37.14N": degrees up to the first ".", then minutes with hundredths.
    const int dot = text.indexOf('.');
    if (dot < 0 || text.size() < dot + 2) return 0;
    const double degrees = text.left(dot).toDouble();
    const double minutes = text.mid(dot + 1, text.size() - dot - 2).toDouble();
    const double value = degrees + minutes / 60.0;
    const QChar hemisphere = text.back();
    return hemisphere == 'S' || hemisphere == 'W' ? -value : value;
}

}  // namespace e2e
