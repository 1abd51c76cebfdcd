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

// A viewer that has ended within this time did not start, or shows nothing that the next
// Help could close.
constexpr int kViewerSettleMs = 500;

// The first viewer of compiled help files found, with its arguments to show the file at
// the page. xchm opens a page given by its own address of it, kchmviewer takes the page
// with an option; both stay running while they show the file, so the next Help can close
// them. xdg-open, the last resort, only hands the file on: no page can be chosen there, and
// the file opens at its start.
bool findViewer(const QString& path, const QString& page, QString& program,
                QStringList& arguments) {
    if (!(program = QStandardPaths::findExecutable(QStringLiteral("xchm"))).isEmpty()) {
        arguments = {QStringLiteral("file:") + path + QStringLiteral("#xchm:/") + page};
    } else if (!(program = QStandardPaths::findExecutable(QStringLiteral("kchmviewer")))
                    .isEmpty()) {
        arguments = {QStringLiteral("-showPage"), page, path};
    } else if (!(program = QStandardPaths::findExecutable(QStringLiteral("xdg-open"))).isEmpty()) {
        arguments = {path};
    } else {
        return false;
    }
    return true;
}

}  // namespace

bool openUrl(const std::string& url) {
    if (!uiAvailable())
        return false;
    return QDesktopServices::openUrl(QUrl(toDisplay(url)));
}

bool startHelpViewer(const std::string& file, const std::string& page) {
    if (!onGuiThreadNow())
        return false;
    QString program;
    QStringList arguments;
    if (!findViewer(QFileInfo(toDisplay(file)).absoluteFilePath(), toDisplay(page), program,
                    arguments))
        return false;
    stopHelpViewer();
    auto viewer = std::make_unique<QProcess>();
    viewer->setProgram(program);
    viewer->setArguments(arguments);
    viewer->setStandardOutputFile(QProcess::nullDevice());
    viewer->setStandardErrorFile(QProcess::nullDevice());
    viewer->start();
    // Only a viewer still running is remembered, so that stopHelpViewer ends nothing else.
    if (!viewer->waitForStarted(2000) || viewer->waitForFinished(kViewerSettleMs))
        return false;
    helpViewer = viewer.release();
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
