#include "ui/gui/NamedWidgets.h"

#include <QLabel>
#include <QPushButton>

namespace lumora::ui {

QLabel* ReadOut(const char* objectName) {
    auto* label = new QLabel;
    label->setObjectName(objectName);
    return label;
}

QPushButton* NamedButton(const char* objectName, const char* caption) {
    auto* button = new QPushButton(caption);
    button->setObjectName(objectName);
    return button;
}

} // namespace lumora::ui
