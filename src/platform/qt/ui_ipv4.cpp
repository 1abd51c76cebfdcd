// The IPv4 address control: four number fields of 0 to 255 in one sunken box.
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

#include <array>

#include "platform/qt/ui_controls_internal.h"

namespace platform::qtui {
namespace {

constexpr int kFields = 4;

std::array<std::string, kFields> splitFields(const std::string& text) {
    std::array<std::string, kFields> parts;
    size_t field = 0;
    for (char c : text) {
        if (c == '.') {
            if (++field == kFields)
                break;
        } else {
            parts[field].push_back(c);
        }
    }
    return parts;
}

// A field's number as shown: digits only, at most 255, no leading zeros; else blank.
std::string normalField(const std::string& part) {
    size_t first = part.find_first_not_of(' ');
    size_t last = part.find_last_not_of(' ');
    if (first == std::string::npos)
        return std::string();
    int value = 0;
    for (size_t i = first; i <= last; ++i) {
        if (part[i] < '0' || part[i] > '9')
            return std::string();
        value = value * 10 + (part[i] - '0');
        if (value > 255)
            value = 255;  // larger numbers are capped, as typing them would be
    }
    return std::to_string(value);
}

QLineEdit* fieldOf(QWidget* box, int index) {
    return box->findChild<QLineEdit*>(QStringLiteral("field%1").arg(index));
}

void moveToField(QWidget* box, int index) {
    if (QLineEdit* next = index < kFields ? fieldOf(box, index) : nullptr) {
        next->setFocus();
        next->selectAll();
    }
}

// One number field. A typed "." (also the keypad's separator, whatever it prints) ends
// the field and moves on to the next one instead of being refused.
class AddressField : public QLineEdit {
public:
    AddressField(QWidget* box, int index) : QLineEdit(box), index_(index) {}

protected:
    void keyPressEvent(QKeyEvent* key) override {
        const bool keypad = (key->modifiers() & Qt::KeypadModifier) != 0;
        if (key->key() == Qt::Key_Period || (keypad && key->key() == Qt::Key_Comma)) {
            moveToField(parentWidget(), index_ + 1);
            return;
        }
        QLineEdit::keyPressEvent(key);
    }

private:
    int index_;
};

void storeFields(int control, QWidget* box) {
    std::string joined;
    for (int i = 0; i < kFields; ++i) {
        if (i > 0)
            joined.push_back('.');
        if (QLineEdit* field = fieldOf(box, i))
            joined += fromDisplay(field->text());
    }
    std::lock_guard lock(records().mutex);
    auto record = records().controls.find(control);
    if (record != records().controls.end())
        record->second.text = joined;
}

}  // namespace

std::string ipv4Fields(const std::string& text) {
    auto parts = splitFields(text);
    std::string joined;
    for (int i = 0; i < kFields; ++i) {
        if (i > 0)
            joined.push_back('.');
        joined += normalField(parts[static_cast<size_t>(i)]);
    }
    return joined;
}

std::string ipv4Dotted(const std::string& fields) {
    auto parts = splitFields(fields);
    std::string dotted;
    for (int i = 0; i < kFields; ++i) {
        if (i > 0)
            dotted.push_back('.');
        std::string shown = normalField(parts[static_cast<size_t>(i)]);
        dotted += shown.empty() ? "0" : shown;
    }
    return dotted;
}

QWidget* makeIpv4Widget(int control, QWidget* parent) {
    auto* box = new QFrame(parent);
    box->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    box->setAutoFillBackground(true);
    box->setBackgroundRole(QPalette::Base);
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(1, 0, 1, 0);
    row->setSpacing(0);
    for (int i = 0; i < kFields; ++i) {
        if (i > 0)
            row->addWidget(new QLabel(QStringLiteral("."), box));
        auto* field = new AddressField(box, i);
        field->setObjectName(QStringLiteral("field%1").arg(i));
        field->setFrame(false);
        field->setAlignment(Qt::AlignCenter);
        field->setValidator(new QRegularExpressionValidator(
            QRegularExpression(QStringLiteral("[0-9]{0,3}")), field));
        QObject::connect(field, &QLineEdit::textEdited, [control, box, field, i](const QString&) {
            if (field->text().toInt() > 255)
                field->setText(QStringLiteral("255"));
            storeFields(control, box);
            if (field->text().size() == 3)
                moveToField(box, i + 1);
        });
        row->addWidget(field, 1);
    }
    return box;
}

void applyIpv4(QWidget* widget, const std::string& fields) {
    auto parts = splitFields(fields);
    for (int i = 0; i < kFields; ++i) {
        QLineEdit* field = fieldOf(widget, i);
        const QString text = toDisplay(parts[static_cast<size_t>(i)]);
        if (field != nullptr && field->text() != text)
            field->setText(text);
    }
}

}  // namespace platform::qtui
