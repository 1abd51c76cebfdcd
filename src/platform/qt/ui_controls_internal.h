// The composite controls, the list view and the address control, for ui_controls.cpp.
#pragma once

#include <string>

#include "platform/qt/ui_state.h"

class QTreeWidget;
class QWidget;

namespace platform::qtui {

QWidget* makeListWidget(int control, QWidget* parent);
void applyList(QTreeWidget* list, const ControlRecord& record);

// The address control keeps its four fields as typed, joined by "." with blank fields
// empty ("10..3."); ipv4Fields makes that form from any text, ipv4Dotted reads it as the
// control's dotted address, a blank field counting as 0.
QWidget* makeIpv4Widget(int control, QWidget* parent);
void applyIpv4(QWidget* widget, const std::string& fields);
std::string ipv4Fields(const std::string& text);
std::string ipv4Dotted(const std::string& fields);

}  // namespace platform::qtui
