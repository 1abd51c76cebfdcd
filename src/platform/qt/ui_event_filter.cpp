// One application-wide event filter turns what happens to our widgets into the
// program's events and keeps the records that other threads read current: keys of the
// shortcut tables, clicks on image views, the pointer, window size, state and closing.
// It also hands the mouse on from frames to what lies beneath them.
#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QTabWidget>
#include <QWidget>

#include <vector>

#include "platform/qt/ui_state.h"

namespace platform::qtui {
namespace {

// Takes the mouse events of a frame from a press passed through it until the last button
// is up, as the pressed widget would have taken them had the frame not been there.
QPointer<QWidget> pressedBeneath;
// True while an event passed on is delivered: should what takes it hand it up to a frame,
// it stays there.
bool passingOn = false;

// The topmost widget of the window at a point of the screen that is no frame: frames are
// stepped over, together with what lies inside them, which is not at that point.
QWidget* beneathFrames(QWidget* top, QPoint global) {
    std::vector<QWidget*> stepped;
    QWidget* found = nullptr;
    while ((found = top->childAt(top->mapFromGlobal(global))) != nullptr &&
           found->property(kMouseThrough).isValid()) {
        found->setAttribute(Qt::WA_TransparentForMouseEvents, true);
        stepped.push_back(found);
    }
    for (QWidget* frame : stepped)
        frame->setAttribute(Qt::WA_TransparentForMouseEvents, false);
    return found;
}

// A frame's mouse event goes to what lies beneath the frame; false when it stays with the
// frame. The controls inside a frame take their own events before the frame sees them.
bool passOn(QWidget* frame, QMouseEvent* mouse) {
    if (passingOn)
        return false;
    const QPointF global = mouse->globalPosition();
    const bool press =
        mouse->type() == QEvent::MouseButtonPress || mouse->type() == QEvent::MouseButtonDblClick;
    if (press)
        pressedBeneath = beneathFrames(frame->window(), global.toPoint());
    QPointer<QWidget> target = pressedBeneath;
    if (mouse->type() == QEvent::MouseButtonRelease && mouse->buttons() == Qt::NoButton)
        pressedBeneath = nullptr;
    if (target.isNull())
        return false;
    if (press) {
        // The focus, too, goes where a click on the widget itself would have put it.
        for (QWidget* w = target; w != nullptr && !w->isWindow(); w = w->parentWidget()) {
            if (w->isEnabled() && (w->focusPolicy() & Qt::ClickFocus) == Qt::ClickFocus) {
                w->setFocus(Qt::MouseFocusReason);
                break;
            }
        }
    }
    QMouseEvent passed(mouse->type(), target->mapFromGlobal(global), mouse->scenePosition(), global,
                       mouse->button(), mouse->buttons(), mouse->modifiers(),
                       mouse->pointingDevice());
    passed.setTimestamp(mouse->timestamp());
    passingOn = true;
    QApplication::sendEvent(target, &passed);
    passingOn = false;
    mouse->setAccepted(passed.isAccepted());
    return true;
}

int windowIdOf(const QWidget* widget) {
    if (widget == nullptr)
        return 0;
    const QWidget* top = widget->window();
    return top == nullptr ? 0 : top->property(kWindowProperty).toInt();
}

bool takeShortcut(QWidget* receiver, QKeyEvent* key) {
    int window = windowIdOf(receiver);
    if (window == 0)
        return false;
    auto found = widgets().windows.find(window);
    if (found == widgets().windows.end() || found->second.shortcuts.empty())
        return false;
    int virtualKey = 0;
    unsigned modifiers = 0;
    if (!virtualKeyOf(key->key(), static_cast<unsigned>(key->modifiers().toInt()), virtualKey,
                      modifiers))
        return false;
    auto shortcut = found->second.shortcuts.find({virtualKey, modifiers});
    if (shortcut == found->second.shortcuts.end())
        return false;
    if (key->type() == QEvent::KeyPress)
        pushEvent(Event{EventKind::Shortcut, window, 0, shortcut->second, 0});
    return true;  // the key reaches no control of the window
}

void trackPointer(QWidget* receiver, QMouseEvent* mouse) {
    int window = windowIdOf(receiver);
    if (window == 0)
        return;
    auto found = widgets().windows.find(window);
    if (found == widgets().windows.end() || found->second.client.isNull())
        return;
    QWidget* client = found->second.client;
    QPoint at = client->mapFromGlobal(mouse->globalPosition().toPoint());
    ClientPoint point;
    if (client->rect().contains(at))
        point = ClientPoint{at.x(), at.y()};
    std::lock_guard lock(records().mutex);
    auto record = records().windows.find(window);
    if (record != records().windows.end())
        record->second.pointer = point;
}

void forgetPointer(int window) {
    std::lock_guard lock(records().mutex);
    auto record = records().windows.find(window);
    if (record != records().windows.end())
        record->second.pointer = ClientPoint{};
}

void reportClick(QWidget* view, QEvent* event) {
    int control = view->property(kControlProperty).toInt();
    int window = windowIdOf(view);
    auto* mouse = static_cast<QMouseEvent*>(event);
    EventKind kind = EventKind::None;
    if (mouse->button() == Qt::LeftButton) {
        if (event->type() == QEvent::MouseButtonPress)
            kind = EventKind::LeftClick;
        else if (event->type() == QEvent::MouseButtonDblClick)
            kind = EventKind::LeftDoubleClick;
    } else if (mouse->button() == Qt::RightButton) {
        if (event->type() == QEvent::MouseButtonDblClick) {
            kind = EventKind::RightDoubleClick;
            view->setProperty(kSkipRightRelease, true);
        } else if (event->type() == QEvent::MouseButtonRelease) {
            if (view->property(kSkipRightRelease).toBool())
                view->setProperty(kSkipRightRelease, false);
            else
                kind = EventKind::RightClick;
        }
    }
    if (kind != EventKind::None)
        pushEvent(Event{kind, window, control, 0, 0});
}

void windowChanged(QWidget* top, QEvent* event) {
    int window = top->property(kWindowProperty).toInt();
    const QRect inner = top->geometry();
    {
        std::lock_guard lock(records().mutex);
        auto record = records().windows.find(window);
        if (record == records().windows.end())
            return;
        WindowRecord& w = record->second;
        w.inner = Rect{inner.x(), inner.y(), inner.width(), inner.height()};
        w.minimised = top->isMinimized();
        if (event->type() == QEvent::Show)
            w.shown = true;
        if (event->type() == QEvent::Hide) {
            w.shown = false;
            w.pointer = ClientPoint{};
        }
    }
    if (event->type() == QEvent::Resize) {
        layoutWindow(window);
        pushEvent(Event{EventKind::Resized, window, 0, inner.width(), inner.height()});
    }
}

void controlMoved(QWidget* widget) {
    int control = widget->property(kControlProperty).toInt();
    QRect shape = widget->geometry();
    std::lock_guard lock(records().mutex);
    auto record = records().controls.find(control);
    if (record == records().controls.end())
        return;
    if (record->second.kind == ControlKind::TabPage) {
        // A page lies inside the panel's own stack; report it relative to the panel.
        auto panel = widgets().controls.find(record->second.parent);
        if (panel != widgets().controls.end() && !panel->second.isNull())
            shape.moveTopLeft(widget->mapTo(panel->second.data(), QPoint(0, 0)));
    }
    record->second.geometry = Rect{shape.x(), shape.y(), shape.width(), shape.height()};
}

class Filter : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!watched->isWidgetType())
            return false;
        auto* widget = static_cast<QWidget*>(watched);
        switch (event->type()) {
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
                return takeShortcut(widget, static_cast<QKeyEvent*>(event));
            case QEvent::MouseMove:
                if (widget->property(kMouseThrough).isValid() &&
                    passOn(widget, static_cast<QMouseEvent*>(event)))
                    return true;
                trackPointer(widget, static_cast<QMouseEvent*>(event));
                return false;
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
                if (widget->property(kMouseThrough).isValid() &&
                    passOn(widget, static_cast<QMouseEvent*>(event)))
                    return true;
                trackPointer(widget, static_cast<QMouseEvent*>(event));
                if (widget->property(kSkipRightRelease).isValid())
                    reportClick(widget, event);
                return false;
            case QEvent::Leave:
                if (widget->isWindow() && windowIdOf(widget) != 0)
                    forgetPointer(windowIdOf(widget));
                return false;
            case QEvent::Close:
                if (widget->isWindow() && windowIdOf(widget) != 0) {
                    event->ignore();
                    pushEvent(Event{EventKind::CloseRequested, windowIdOf(widget), 0, 0, 0});
                    return true;
                }
                return false;
            case QEvent::Resize:
            case QEvent::Move:
            case QEvent::Show:
            case QEvent::Hide:
            case QEvent::WindowStateChange:
                if (widget->isWindow() && windowIdOf(widget) != 0)
                    windowChanged(widget, event);
                else if (widget->property(kControlProperty).isValid() &&
                         (event->type() == QEvent::Resize || event->type() == QEvent::Move))
                    controlMoved(widget);
                return false;
            default:
                return false;
        }
    }
};

}  // namespace

std::unique_ptr<QObject> makeEventFilter() {
    return std::make_unique<Filter>();
}

}  // namespace platform::qtui
