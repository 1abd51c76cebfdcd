// The desktop's browser and help viewer.
#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include <memory>

#include "platform/qt/ui_state.h"

namespace platform {

using namespace qtui;

namespace {

QProcess* helpViewer = nullptr;  // ended by stopHelpViewer, never at process exit

}  // namespace

bool openUrl(const std::string& url) {
    if (!uiAvailable())
        return false;
    return QDesktopServices::openUrl(QUrl(toDisplay(url)));
}

bool startHelpViewer(const std::string& file, const std::string& page) {
    if (!onGuiThreadNow())
        return false;
    const QString path = QFileInfo(toDisplay(file)).absoluteFilePath();
    // A viewer of compiled help files stays running while it shows the file, so the
    // next Help can close it; xdg-open is the last resort and hands the file on.
    QString program;
    QStringList arguments;
    if (!(program = QStandardPaths::findExecutable(QStringLiteral("xchm"))).isEmpty()) {
        arguments << path;
    } else if (!(program = QStandardPaths::findExecutable(QStringLiteral("kchmviewer")))
                    .isEmpty()) {
        arguments << QStringLiteral("-showPage") << toDisplay(page) << path;
    } else if (!(program = QStandardPaths::findExecutable(QStringLiteral("xdg-open"))).isEmpty()) {
        arguments << path;
    } else {
        return false;
    }
    stopHelpViewer();
    helpViewer = new QProcess;
    helpViewer->setProgram(program);
    helpViewer->setArguments(arguments);
    helpViewer->setStandardOutputFile(QProcess::nullDevice());
    helpViewer->setStandardErrorFile(QProcess::nullDevice());
    helpViewer->start();
    if (!helpViewer->waitForStarted(2000)) {
        delete helpViewer;
        helpViewer = nullptr;
        return false;
    }
    return true;
}

void stopHelpViewer() {
    if (!helpViewer)
        return;
    if (helpViewer->state() != QProcess::NotRunning) {
        helpViewer->terminate();
        if (!helpViewer->waitForFinished(1000)) {
            helpViewer->kill();
            helpViewer->waitForFinished(1000);
        }
    }
    delete helpViewer;
    helpViewer = nullptr;
}

}  // namespace platform
