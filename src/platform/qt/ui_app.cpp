// The application object, the event queue and the helpers every part of the backend
// shares.
#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QMessageLogContext>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>

#include "platform/qt/ui_state.h"
#include "platform/screen.h"

namespace platform::qtui {

Records& records() {
    static Records instance;
    return instance;
}

Widgets& widgets() {
    static Widgets instance;
    return instance;
}

namespace {

// QApplication keeps references to these for its whole life.
int applicationArgc = 1;
char applicationName[] = "korvo";
char* applicationArgv[] = {applicationName, nullptr};

// Plain pointers on purpose: the application must not be destroyed by a static destructor
// at process exit, after the parts of Qt it needs are gone. shutdownUi() ends it.
QApplication* application = nullptr;
// Other threads ask whether they are the GUI thread, so this one is atomic; it is only
// compared, never followed.
std::atomic<QThread*> guiThread{nullptr};
QObject* eventFilter = nullptr;

bool nonEmpty(const char* value) {
    return value != nullptr && *value != '\0';
}

// Qt ends the process when its display cannot be opened, so the display is tried first:
// without one the program goes on without windows instead of dying. Unless the user
// chose a platform, X is used wherever there is an X server (XWayland too: only there
// can windows be placed where the program puts them), else the Wayland display.
bool windowsCanOpen() {
    const char* chosen = std::getenv("QT_QPA_PLATFORM");
    if (nonEmpty(chosen) && std::strncmp(chosen, "xcb", 3) != 0)
        return true;  // a platform chosen on purpose (offscreen, wayland, ...)
    bool x = nonEmpty(std::getenv("DISPLAY"));
    if (!x && (nonEmpty(chosen) || !nonEmpty(std::getenv("WAYLAND_DISPLAY"))))
        return false;
    if (!platform::displayReachable())
        return false;
    if (!nonEmpty(chosen))
        ::setenv("QT_QPA_PLATFORM", x ? "xcb" : "wayland", 1);
    return true;
}

}  // namespace

bool onGuiThreadNow() {
    QThread* gui = guiThread.load();
    return gui != nullptr && QThread::currentThread() == gui;
}

void onGuiThread(std::function<void()> work) {
    if (onGuiThreadNow()) {
        work();
        return;
    }
    // Posting under the lock keeps shutdownUi from destroying the application meanwhile.
    std::lock_guard lock(records().mutex);
    if (!records().running)
        return;
    QMetaObject::invokeMethod(application, std::move(work), Qt::QueuedConnection);
}

void pushEvent(const Event& event) {
    Records& r = records();
    {
        std::lock_guard lock(r.mutex);
        if (!r.running)
            return;
        r.events.push(event);
        if (onGuiThreadNow())
            return;
        // Wakes a waitEvent that sleeps in the dispatcher.
        QMetaObject::invokeMethod(
            application, [] {}, Qt::QueuedConnection);
    }
}

QString toDisplay(const std::string& text) {
    QString shown = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    shown.replace(QStringLiteral("\n\r"), QStringLiteral("\n"));
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

std::string fromDisplay(const QString& text) {
    // Characters beyond ISO 8859-1 cannot travel through the interface; they become '?'.
    std::string latin;
    latin.reserve(static_cast<size_t>(text.size()));
    for (QChar c : text)
        latin.push_back(c.unicode() <= 0xFF ? static_cast<char>(c.unicode()) : '?');
    return latin;
}

}  // namespace platform::qtui

namespace platform {

using namespace qtui;

bool initUi() {
    if (application != nullptr)
        return true;
    if (!windowsCanOpen())
        return false;
    // The program has no console output: Qt's own warnings (a missing XDG_RUNTIME_DIR,
    // a font it cannot find) are dropped too.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    application = new QApplication(applicationArgc, applicationArgv);
    guiThread = QThread::currentThread();
    // The program decides itself when it ends.
    QApplication::setQuitOnLastWindowClosed(false);
    eventFilter = makeEventFilter().release();
    application->installEventFilter(eventFilter);
    {
        std::lock_guard lock(records().mutex);
        records().running = true;
        records().events.clear();
    }
    initTray();
    return true;
}

bool uiAvailable() {
    std::lock_guard lock(records().mutex);
    return records().running;
}

void shutdownUi() {
    if (!onGuiThreadNow())
        return;
    stopHelpViewer();
    shutdownTray();
    std::vector<int> open;
    for (const auto& [id, ignored] : widgets().windows)
        open.push_back(id);
    for (int id : open)
        closeWindow(id);
    for (auto& [id, menu] : widgets().menus)
        delete menu.data();
    widgets() = Widgets{};
    {
        std::lock_guard lock(records().mutex);
        records().running = false;
        records().clear();
    }
    answerWaitingMessageBoxes();
    application->removeEventFilter(eventFilter);
    delete eventFilter;
    eventFilter = nullptr;
    guiThread = nullptr;
    delete application;
    application = nullptr;
}

Event waitEvent(int timeoutMs) {
    if (!onGuiThreadNow())
        return Event{};
    QElapsedTimer elapsed;
    elapsed.start();
    QTimer wakeUp;  // ends the dispatcher's wait when the time is up
    wakeUp.setSingleShot(true);
    if (timeoutMs >= 0)
        wakeUp.start(timeoutMs);
    for (;;) {
        {
            std::lock_guard lock(records().mutex);
            if (std::optional<Event> next = records().events.tryPop())
                return *next;
        }
        if (timeoutMs >= 0 && elapsed.elapsed() >= timeoutMs) {
            // Even a zero time-out lets the GUI catch up once.
            QCoreApplication::processEvents(QEventLoop::AllEvents);
            std::lock_guard lock(records().mutex);
            return records().events.tryPop().value_or(Event{});
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
}

void postEvent(const Event& event) {
    pushEvent(event);
}

}  // namespace platform
