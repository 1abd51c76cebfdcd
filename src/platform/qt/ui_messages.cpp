// Message boxes. On the GUI thread a box runs modally in place; from any other thread
// the box is opened on the GUI thread without blocking it, and only the caller waits
// for the answer.
#include <QCheckBox>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QWidget>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <set>

#include "platform/qt/ui_state.h"

namespace platform::qtui {
namespace {

struct BoxRequest {
    int owner = 0;
    std::string title;
    std::string text;
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
    std::string onceName;  // with a "do not show again" check box when not empty
    std::string checkText;
};

struct WaitingCaller {
    std::mutex mutex;
    std::condition_variable answered;
    bool done = false;
    int answer = kAnswerNone;
};

std::mutex waitingMutex;
std::set<std::shared_ptr<WaitingCaller>> waitingCallers;

void answerCaller(const std::shared_ptr<WaitingCaller>& caller, int answer) {
    {
        std::lock_guard lock(caller->mutex);
        if (caller->done)
            return;
        caller->done = true;
        caller->answer = answer;
    }
    caller->answered.notify_all();
}

QString onceKey(const std::string& name) {
    return QStringLiteral("DoNotShowAgain/") + toDisplay(name);
}

// The user's own choices (not settings.ini, which holds the program's settings), kept as
// the system keeps them on Windows: per user, wherever the program lives. On Linux that is
// the user's configuration folder of the program, ~/.config/korvo/choices.conf, where an
// installed program keeps its settings.ini too.
std::unique_ptr<QSettings> userSettings() {
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("korvo"), QStringLiteral("choices"));
}

QMessageBox* buildBox(const BoxRequest& request) {
    QWidget* owner = nullptr;
    auto found = widgets().windows.find(request.owner);
    if (found != widgets().windows.end())
        owner = found->second.top.data();
    auto* box = new QMessageBox(owner);
    // Qt fills an empty caption with the program's name on its way to the window system; a
    // single space gets there as it is and shows as empty.
    box->setWindowTitle(request.title.empty() ? QStringLiteral(" ") : toDisplay(request.title));
    box->setText(toDisplay(request.text));
    box->setTextFormat(Qt::PlainText);
    switch (request.icon) {
        case MessageIcon::Error:
            box->setIcon(QMessageBox::Critical);
            break;
        case MessageIcon::Information:
            box->setIcon(QMessageBox::Information);
            break;
        case MessageIcon::Warning:
            box->setIcon(QMessageBox::Warning);
            break;
        case MessageIcon::Question:
            box->setIcon(QMessageBox::Question);
            break;
        case MessageIcon::None:
            box->setIcon(QMessageBox::NoIcon);
            break;
    }
    switch (request.buttons) {
        case MessageButtons::Ok:
            box->setStandardButtons(QMessageBox::Ok);
            break;
        case MessageButtons::OkCancel:
            box->setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            break;
        case MessageButtons::YesNo:
            box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            break;
    }
    if (!request.onceName.empty())
        box->setCheckBox(new QCheckBox(toDisplay(request.checkText), box));
    return box;
}

// The answer of a closed box; also keeps a "do not show again" choice.
int answerOf(QMessageBox* box, const BoxRequest& request) {
    if (box->checkBox() != nullptr && box->checkBox()->isChecked()) {
        userSettings()->setValue(onceKey(request.onceName), true);
    }
    switch (box->standardButton(box->clickedButton())) {
        case QMessageBox::Ok:
            return kAnswerOk;
        case QMessageBox::Cancel:
            return kAnswerCancel;
        case QMessageBox::Yes:
            return kAnswerYes;
        case QMessageBox::No:
            return kAnswerNo;
        default:
            break;
    }
    switch (request.buttons) {
        case MessageButtons::Ok:
            return kAnswerOk;
        case MessageButtons::OkCancel:
            return kAnswerCancel;
        case MessageButtons::YesNo:
            return kAnswerNo;
    }
    return kAnswerNone;
}

void openForCaller(const BoxRequest& request, const std::shared_ptr<WaitingCaller>& caller) {
    QMessageBox* box = buildBox(request);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    QObject::connect(box, &QMessageBox::finished,
                     [box, request, caller] { answerCaller(caller, answerOf(box, request)); });
    // Closed with its owner: the caller must not wait for ever.
    QObject::connect(box, &QObject::destroyed, [caller] { answerCaller(caller, kAnswerNone); });
    box->show();
}

int runBox(const BoxRequest& request) {
    if (onGuiThreadNow()) {
        if (!uiAvailable())
            return kAnswerNone;
        std::unique_ptr<QMessageBox> box(buildBox(request));
        box->exec();
        return answerOf(box.get(), request);
    }
    auto caller = std::make_shared<WaitingCaller>();
    {
        std::lock_guard lock(waitingMutex);
        waitingCallers.insert(caller);
    }
    if (uiAvailable())
        onGuiThread([request, caller] { openForCaller(request, caller); });
    else
        answerCaller(caller, kAnswerNone);
    int answer = kAnswerNone;
    {
        std::unique_lock lock(caller->mutex);
        caller->answered.wait(lock, [&] { return caller->done; });
        answer = caller->answer;
    }
    std::lock_guard lock(waitingMutex);
    waitingCallers.erase(caller);
    return answer;
}

}  // namespace

void answerWaitingMessageBoxes() {
    std::lock_guard lock(waitingMutex);
    for (const auto& caller : waitingCallers)
        answerCaller(caller, kAnswerNone);
}

}  // namespace platform::qtui

namespace platform {

using namespace qtui;

int showMessageBox(int owner, const std::string& title, const std::string& text, MessageIcon icon,
                   MessageButtons buttons) {
    return runBox(BoxRequest{owner, title, text, icon, buttons, {}, {}});
}

int showMessageBoxOnce(int owner, const std::string& title, const std::string& text,
                       MessageIcon icon, const std::string& valueName,
                       const std::string& checkText) {
    if (!uiAvailable())
        return kAnswerNone;
    if (valueName.empty())
        return showMessageBox(owner, title, text, icon, MessageButtons::Ok);
    if (userSettings()->value(onceKey(valueName), false).toBool())
        return kAnswerOk;
    return runBox(BoxRequest{owner, title, text, icon, MessageButtons::Ok, valueName, checkText});
}

}  // namespace platform
