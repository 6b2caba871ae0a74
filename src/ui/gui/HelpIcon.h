// HelpIcon — the icon of every dialog's Help button: the desktop theme's help icon where the theme
// has one, else the question mark that ships with the program's widget style.
#pragma once

#include <QIcon>

class QAbstractButton;
class QWidget;

namespace lumora::ui {

// The help icon in widget's style.
QIcon HelpIcon(const QWidget& widget);
// Gives button the help icon.
void SetHelpIcon(QAbstractButton& button);

} // namespace lumora::ui
