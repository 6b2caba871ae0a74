// ReadOut — the empty label a dialog writes a figure into (a count, a size), found by its name.
#pragma once

class QLabel;

namespace lumora::ui {

QLabel* ReadOut(const char* objectName);

} // namespace lumora::ui
