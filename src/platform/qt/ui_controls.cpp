// Controls: creation and the calls that change or read them. Every change goes to the
// record first; applyControl then brings the widget in line on the GUI thread.
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTabWidget>
#include <QTreeWidget>
#include <QWidget>

#include <limits>

#include "platform/qt/ui_controls_internal.h"
#include "platform/qt/ui_state.h"

namespace platform::qtui {
namespace {

QWidget* widgetOf(int control) {
    auto found = widgets().controls.find(control);
    return found == widgets().controls.end() ? nullptr : found->second.data();
}

// Asks the GUI thread to bring the control's widget in line with its record.
void refresh(int control) {
    onGuiThread([control] { applyControl(control); });
}

void storeText(int control, const std::string& text) {
    std::lock_guard lock(records().mutex);
    auto record = records().controls.find(control);
    if (record != records().controls.end())
        record->second.text = text;
}

void storeState(int control, int state) {
    std::lock_guard lock(records().mutex);
    auto record = records().controls.find(control);
    if (record != records().controls.end())
        record->second.state = state;
}

QWidget* makeWidget(int window, int control, ControlKind kind, QWidget* parent) {
    switch (kind) {
        case ControlKind::Frame: {
            auto* frame = new QGroupBox(parent);
            frame->setProperty(kMouseThrough, true);
            return frame;
        }
        case ControlKind::FlatFrame: {
            auto* frame = new QFrame(parent);
            frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            frame->setProperty(kMouseThrough, true);
            return frame;
        }
        case ControlKind::TabPanel: {
            auto* panel = new QTabWidget(parent);
            QObject::connect(panel, &QTabWidget::currentChanged,
                             [control](int index) { storeState(control, index); });
            return panel;
        }
        case ControlKind::TabPage: {
            auto* panel = qobject_cast<QTabWidget*>(parent);
            if (panel == nullptr)
                return nullptr;
            auto* page = new QWidget;
            panel->addTab(page, QString());
            return page;
        }
        case ControlKind::ImageView: {
            auto* view = new QLabel(parent);
            view->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            view->setProperty(kSkipRightRelease, false);
            return view;
        }
        case ControlKind::ListView:
            return makeListWidget(control, parent);
        case ControlKind::Label:
            return new QLabel(parent);
        case ControlKind::Edit:
        case ControlKind::PasswordEdit:
        case ControlKind::DigitsEdit: {
            auto* edit = new QLineEdit(parent);
            // No length limit: a long stored value must come back whole.
            edit->setMaxLength(std::numeric_limits<int>::max());
            if (kind == ControlKind::PasswordEdit)
                edit->setEchoMode(QLineEdit::Password);
            if (kind == ControlKind::DigitsEdit)
                edit->setValidator(new QRegularExpressionValidator(
                    QRegularExpression(QStringLiteral("[0-9]*")), edit));
            QObject::connect(edit, &QLineEdit::textChanged, [control](const QString& text) {
                storeText(control, fromDisplay(text));
            });
            return edit;
        }
        case ControlKind::Ipv4Address:
            return makeIpv4Widget(control, parent);
        case ControlKind::CheckBox: {
            auto* box = new QCheckBox(parent);
            QObject::connect(box, &QCheckBox::clicked, [window, control, box] {
                storeState(control, box->checkState() == Qt::Checked ? 1 : 0);
                box->setTristate(false);  // a third state is the program's, never the user's
                pushEvent(Event{EventKind::Command, window, control, 0, 0});
            });
            return box;
        }
        case ControlKind::ComboBox: {
            auto* combo = new QComboBox(parent);
            QObject::connect(combo, &QComboBox::currentIndexChanged, [control, combo](int index) {
                std::lock_guard lock(records().mutex);
                auto record = records().controls.find(control);
                if (record == records().controls.end())
                    return;
                record->second.state = index;
                record->second.text = index >= 0 ? fromDisplay(combo->itemText(index)) : "";
            });
            return combo;
        }
        case ControlKind::Button: {
            auto* button = new QPushButton(parent);
            button->setAutoDefault(false);
            QObject::connect(button, &QPushButton::clicked, [window, control] {
                pushEvent(Event{EventKind::Command, window, control, 0, 0});
            });
            return button;
        }
    }
    return nullptr;
}

void applyCombo(QComboBox* combo, const ControlRecord& record) {
    QSignalBlocker quiet(combo);
    bool same = combo->count() == static_cast<int>(record.comboItems.size());
    for (int i = 0; same && i < combo->count(); ++i)
        same = combo->itemText(i) == toDisplay(record.comboItems[static_cast<size_t>(i)]);
    if (!same) {
        combo->clear();
        for (const std::string& item : record.comboItems)
            combo->addItem(toDisplay(item));
    }
    combo->setCurrentIndex(record.state);
}

void applyImage(QLabel* view, const ControlRecord& record) {
    const auto shownSerial = view->property("korvoImageSerial").toULongLong();
    if (shownSerial == record.imageSerial)
        return;
    view->setProperty("korvoImageSerial", static_cast<qulonglong>(record.imageSerial));
    if (const QImage* picture = qImageOf(record.image))
        view->setPixmap(QPixmap::fromImage(*picture));
    else
        view->clear();
}

void applyContent(QWidget* widget, const ControlRecord& record) {
    const QString text = toDisplay(record.text);
    switch (record.kind) {
        case ControlKind::Frame:
            static_cast<QGroupBox*>(widget)->setTitle(text);
            break;
        case ControlKind::TabPanel: {
            auto* panel = static_cast<QTabWidget*>(widget);
            if (record.state >= 0 && record.state < panel->count())
                panel->setCurrentIndex(record.state);
            break;
        }
        case ControlKind::TabPage: {
            auto panel = widgets().controls.find(record.parent);
            if (panel != widgets().controls.end() && !panel->second.isNull()) {
                auto* tabs = static_cast<QTabWidget*>(panel->second.data());
                tabs->setTabText(tabs->indexOf(widget), text);
            }
            break;
        }
        case ControlKind::ImageView:
            applyImage(static_cast<QLabel*>(widget), record);
            break;
        case ControlKind::ListView:
            applyList(static_cast<QTreeWidget*>(widget), record);
            break;
        case ControlKind::Label:
            if (static_cast<QLabel*>(widget)->text() != text)
                static_cast<QLabel*>(widget)->setText(text);
            break;
        case ControlKind::Edit:
        case ControlKind::PasswordEdit:
        case ControlKind::DigitsEdit:
            if (static_cast<QLineEdit*>(widget)->text() != text)
                static_cast<QLineEdit*>(widget)->setText(text);
            break;
        case ControlKind::Ipv4Address:
            applyIpv4(widget, record.text);
            break;
        case ControlKind::CheckBox: {
            auto* box = static_cast<QCheckBox*>(widget);
            box->setText(text);
            box->setTristate(record.state == 2);
            box->setCheckState(record.state == 0   ? Qt::Unchecked
                               : record.state == 2 ? Qt::PartiallyChecked
                                                   : Qt::Checked);
            break;
        }
        case ControlKind::ComboBox:
            applyCombo(static_cast<QComboBox*>(widget), record);
            break;
        case ControlKind::Button:
            static_cast<QPushButton*>(widget)->setText(text);
            break;
        case ControlKind::FlatFrame:
            break;
    }
}

}  // namespace

void applyControl(int control) {
    QWidget* widget = widgetOf(control);
    if (widget == nullptr)
        return;
    ControlRecord record;
    {
        std::lock_guard lock(records().mutex);
        auto found = records().controls.find(control);
        if (found == records().controls.end())
            return;
        record = found->second;
    }
    applyContent(widget, record);
    if (record.kind != ControlKind::TabPage) {
        const QRect shape(record.geometry.x, record.geometry.y, record.geometry.width,
                          record.geometry.height);
        if (widget->geometry() != shape)
            widget->setGeometry(shape);
        if (widget->isHidden() == record.visible)
            widget->setVisible(record.visible);
    }
    if (widget->isEnabled() != record.enabled)
        widget->setEnabled(record.enabled);
}

}  // namespace platform::qtui

namespace platform {

using namespace qtui;

bool createControl(int window, int control, ControlKind kind, Rect geometry,
                   const std::string& text, int parent) {
    if (!onGuiThreadNow() || control <= 0 || widgets().controls.count(control) != 0)
        return false;
    auto owner = widgets().windows.find(window);
    if (owner == widgets().windows.end())
        return false;
    {
        std::lock_guard lock(records().mutex);
        if (!records().mayCreateControl(window, control, kind, parent))
            return false;
    }
    QWidget* parentWidget = parent != 0 ? widgets().controls[parent] : owner->second.client;
    QWidget* widget = makeWidget(window, control, kind, parentWidget);
    if (widget == nullptr)
        return false;
    widget->setProperty(kControlProperty, control);
    {
        std::lock_guard lock(records().mutex);
        records().addControl(window, control, kind, geometry,
                             kind == ControlKind::Ipv4Address ? ipv4Fields(text) : text, parent);
    }
    widgets().controls[control] = widget;
    applyControl(control);
    return true;
}

void destroyControl(int control) {
    if (!onGuiThreadNow())
        return;
    std::vector<int> children;
    {
        std::lock_guard lock(records().mutex);
        children = records().childControls(control);
    }
    for (int child : children)
        destroyControl(child);
    QWidget* widget = widgetOf(control);
    widgets().controls.erase(control);
    {
        std::lock_guard lock(records().mutex);
        records().removeControl(control);
    }
    delete widget;
}

bool controlExists(int control) {
    std::lock_guard lock(records().mutex);
    return records().controls.count(control) != 0;
}

void setControlText(int control, const std::string& text) {
    {
        std::lock_guard lock(records().mutex);
        auto found = records().controls.find(control);
        if (found == records().controls.end())
            return;
        ControlRecord& record = found->second;
        record.setText(record.kind == ControlKind::Ipv4Address ? ipv4Fields(text) : text);
    }
    refresh(control);
}

std::string controlText(int control) {
    std::lock_guard lock(records().mutex);
    auto found = records().controls.find(control);
    if (found == records().controls.end())
        return std::string();
    if (found->second.kind == ControlKind::Ipv4Address)
        return ipv4Dotted(found->second.text);
    return found->second.text;
}

void setControlState(int control, int state) {
    {
        std::lock_guard lock(records().mutex);
        if (!records().setState(control, state))
            return;
    }
    refresh(control);
}

int controlState(int control) {
    std::lock_guard lock(records().mutex);
    auto found = records().controls.find(control);
    return found == records().controls.end() ? 0 : found->second.state;
}

void setControlGeometry(int control, Rect geometry) {
    if (geometry.width < 0 || geometry.height < 0)
        return;
    {
        std::lock_guard lock(records().mutex);
        auto found = records().controls.find(control);
        if (found == records().controls.end() || found->second.kind == ControlKind::TabPage)
            return;
        found->second.geometry = geometry;
    }
    refresh(control);
}

Rect controlGeometry(int control) {
    std::lock_guard lock(records().mutex);
    auto found = records().controls.find(control);
    return found == records().controls.end() ? Rect{} : found->second.geometry;
}

void setControlEnabled(int control, bool enabled) {
    {
        std::lock_guard lock(records().mutex);
        auto found = records().controls.find(control);
        if (found == records().controls.end())
            return;
        found->second.enabled = enabled;
    }
    refresh(control);
}

bool controlEnabled(int control) {
    std::lock_guard lock(records().mutex);
    auto found = records().controls.find(control);
    return found != records().controls.end() && found->second.enabled;
}

void setControlVisible(int control, bool visible) {
    {
        std::lock_guard lock(records().mutex);
        auto found = records().controls.find(control);
        if (found == records().controls.end())
            return;
        found->second.visible = visible;
    }
    refresh(control);
}

void focusControl(int control) {
    onGuiThread([control] {
        if (QWidget* widget = widgetOf(control))
            widget->setFocus();
    });
}

void showImage(int control, const Image* image) {
    // The copy is made here, in the caller's thread, so the caller may free its image.
    ui_model::ImageHandle copy = pictureOf(image);
    {
        std::lock_guard lock(records().mutex);
        ControlRecord* found = records().control(control, ControlKind::ImageView);
        if (found == nullptr)
            return;
        found->showImage(std::move(copy));
    }
    refresh(control);
}

void addComboItem(int control, const std::string& text) {
    {
        std::lock_guard lock(records().mutex);
        auto found = records().controls.find(control);
        if (found == records().controls.end() || found->second.kind != ControlKind::ComboBox)
            return;
        found->second.comboItems.push_back(text);
    }
    refresh(control);
}

int comboItemCount(int control) {
    std::lock_guard lock(records().mutex);
    auto found = records().controls.find(control);
    return found == records().controls.end() ? 0
                                             : static_cast<int>(found->second.comboItems.size());
}

int findComboItem(int control, const std::string& text) {
    std::lock_guard lock(records().mutex);
    auto found = records().controls.find(control);
    return found == records().controls.end() ? -1 : found->second.findComboItem(text);
}

}  // namespace platform
