#include "ui/gui/ReadOut.h"

#include <QLabel>

namespace lumora::ui {

QLabel* ReadOut(const char* objectName) {
    auto* label = new QLabel;
    label->setObjectName(objectName);
    return label;
}

} // namespace lumora::ui
