// HelpIcon — the icon of every dialog's Help button: the desktop theme's help icon where the theme
// has one, else the question mark that ships with the program's widget style.
#pragma once

#include <QIcon>

#include <functional>

class QAbstractButton;
class QDialog;
class QHBoxLayout;
class QWidget;

namespace lumora::ui {

// The help icon in widget's style.
QIcon HelpIcon(const QWidget& widget);
// Gives button the help icon.
void SetHelpIcon(QAbstractButton& button);
// The row under a dialog's pages: "Close" (CloseBtn, accepts the dialog) and "Help" (HelpBtn,
// with the help icon, calls onHelp), on the right.
QHBoxLayout* CloseHelpRow(QDialog& dialog, std::function<void()> onHelp);

} // namespace lumora::ui
