// NamedWidgets — the small controls of the dialogs, each with the object name it is found by.
#pragma once

class QLabel;
class QPushButton;

namespace lumora::ui {

// The empty label a dialog writes a figure into (a count, a size).
QLabel* ReadOut(const char* objectName);
// A push button with its caption.
QPushButton* NamedButton(const char* objectName, const char* caption);

} // namespace lumora::ui
