#include "ui/gui/HelpIcon.h"

#include <QAbstractButton>
#include <QStyle>

namespace lumora::ui {

QIcon HelpIcon(const QWidget& widget) {
    // The freedesktop names of the help icon, as themes provide it.
    for (const char* name : {"help-contents", "help-browser"})
        if (QIcon::hasThemeIcon(name))
            return QIcon::fromTheme(name);
    return widget.style()->standardIcon(QStyle::SP_MessageBoxQuestion, nullptr, &widget);
}

void SetHelpIcon(QAbstractButton& button) {
    button.setIcon(HelpIcon(button));
}

} // namespace lumora::ui
