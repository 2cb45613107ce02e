// The small platform ports with Qt.
#include "qt/QtPorts.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>
#include <QtGlobal>

#include "platform/DatePattern.h"
#include "platform/Log.h"

namespace qt {

// ---- window layer

void QtWindowLayer::SetWindow(QWidget* window) {
    window_ = window;
    Apply();
}

void QtWindowLayer::SetTopmost(bool topmost) {
    topmost_ = topmost;
    Apply();
}

void QtWindowLayer::Apply() {
    if (!window_ || !topmost_) return;
    if (window_->testAttribute(Qt::WA_WState_Created) &&
        window_->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == *topmost_)
        return;
    bool visible = window_->isVisible();
    bool minimized = window_->isMinimized();
    // Changing the flag hides the window: show it again as it was.
    window_->setWindowFlag(Qt::WindowStaysOnTopHint, *topmost_);
    if (!visible) return;
    if (minimized) {
        window_->showMinimized();
    } else {
        window_->show();
    }
}

// ---- single instance

QtSingleInstance::QtSingleInstance(QString folder, QString name)
    : folder_(std::move(folder)), name_(std::move(name)) {}

bool QtSingleInstance::AnotherInstanceRunning() {
    if (lock_ && lock_->isLocked()) return false;
    // Looked up here, not at construction: the layout needs the running application.
    const QString folder =
        folder_.isEmpty() ? QString::fromStdString(CurrentLayout().data) : folder_;
    QDir().mkpath(folder);
    const QString path = QDir(folder).filePath(name_);
    lock_ = std::make_unique<QLockFile>(path);
    // Never stale by age: a live holder keeps it however long it runs; a dead one is
    // recognised by its process id.
    lock_->setStaleLockTime(0);
    if (lock_->tryLock(0)) return false;
    bool another = lock_->error() == QLockFile::LockFailedError;
    if (!another)
        platform::LogLine(platform::Level::Warning)
            << "cannot create the lock file " << path.toStdString();
    lock_.reset();
    return another;
}

// ---- regional formats

std::string ToShortDatePattern(const QString& qtPattern) {
    return platform::ShortDatePattern(qtPattern.toStdString());
}

QtRegional::QtRegional(const QLocale& locale)
    : decimalSymbol_(locale.decimalPoint().toStdString()),
      // The C locale's "d MMM yyyy" would read "6 12 2026" with numeric months.
      shortDateFormat_(locale.language() == QLocale::C
                           ? "dd/MM/yyyy"
                           : ToShortDatePattern(locale.dateFormat(QLocale::ShortFormat))) {}

// ---- program identity

platform::FileLayout CurrentLayout() {
    platform::LayoutInputs in;
    const QString folder = QCoreApplication::applicationDirPath();
    in.exeFolder = folder.toStdString();
    in.exeFolderWritable = QFileInfo(folder).isWritable();
    in.shippedFilesBeside = QFileInfo::exists(folder + "/demo.tnc2");
    in.home = QDir::homePath().toStdString();
    in.xdgConfigHome = qEnvironmentVariable("XDG_CONFIG_HOME").toStdString();
    in.xdgDataHome = qEnvironmentVariable("XDG_DATA_HOME").toStdString();
    in.configurationDirectory = qEnvironmentVariable("CONFIGURATION_DIRECTORY").toStdString();
    in.stateDirectory = qEnvironmentVariable("STATE_DIRECTORY").toStdString();
    return platform::ChooseLayout(in);
}

std::string QtProgramInfo::Folder() const {
    return QCoreApplication::applicationDirPath().toStdString();
}

std::string QtProgramInfo::ExeName() const {
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName().toStdString();
}

std::string QtProgramInfo::ExePath() const {
    QFileInfo exe(QCoreApplication::applicationFilePath());
    QString real = exe.canonicalFilePath();
    return (real.isEmpty() ? exe.absoluteFilePath() : real).toStdString();
}

platform::VersionNumbers QtProgramInfo::Version() const {
    return {SIRENWATCH_VERSION_MAJOR, SIRENWATCH_VERSION_MINOR, SIRENWATCH_VERSION_PATCH};
}

// ---- help

namespace {

// Whether the desktop has a program for CHM files. xdg-open starts (and so "succeeds") even
// when it has none, so ask xdg-mime; fixed arguments, no shell, bounded wait.
bool DesktopHasChmHandler() {
    QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (xdgMime.isEmpty()) return false;
    QProcess query;
    query.start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"),
                          QStringLiteral("application/vnd.ms-htmlhelp")});
    if (!query.waitForFinished(3000)) {
        query.kill();
        query.waitForFinished(1000);
        return false;
    }
    return query.exitCode() == 0 && !query.readAllStandardOutput().trimmed().isEmpty();
}

}  // namespace

QtHelp::QtHelp(QString htmlIndex, UrlOpener open, HandlerCheck chmHandler,
               platform::Dialogs* dialogs)
    : htmlIndex_(std::move(htmlIndex)),
      open_(std::move(open)),
      chmHandler_(std::move(chmHandler)),
      dialogs_(dialogs) {
    if (!open_) open_ = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    if (!chmHandler_) chmHandler_ = DesktopHasChmHandler;
}

void QtHelp::Open(const std::string& helpFile) {
    QFileInfo chm(QString::fromStdString(helpFile));
    if (chm.isFile() && chmHandler_() && open_(QUrl::fromLocalFile(chm.absoluteFilePath()))) return;
    QString html =
        htmlIndex_.isEmpty()
            ? QDir(QString::fromStdString(CurrentLayout().shared)).filePath("help/index.html")
            : htmlIndex_;
    if (QFileInfo(html).isFile() && open_(QUrl::fromLocalFile(QFileInfo(html).absoluteFilePath())))
        return;
    platform::LogLine(platform::Level::Warning)
        << "no help could be opened (" << chm.filePath().toStdString() << ")";
    if (dialogs_ == nullptr) return;
    const QString chmName = QDir::toNativeSeparators(chm.fileName());
    const QString htmlName = QDir::toNativeSeparators(html);
    const QString text =
        QStringLiteral("The help could not be opened: %1, and %2.")
            .arg(chm.isFile() ? "no program here shows " + chmName : chmName + " is missing",
                 QFileInfo(html).isFile() ? "the browser did not open " + htmlName
                                          : htmlName + " is missing");
    dialogs_->Notice(text.toStdString(), platform::Icon::Exclamation);
}

// ---- quitting

void QtApplication::Quit() {
    if (!QCoreApplication::instance()) return;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
}

}  // namespace qt
