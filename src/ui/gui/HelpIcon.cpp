#include "ui/gui/HelpIcon.h"

#include <QAbstractButton>
#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>
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

QHBoxLayout* CloseHelpRow(QDialog& dialog, std::function<void()> onHelp) {
    auto* close = new QPushButton("Close");
    close->setObjectName("CloseBtn");
    auto* help = new QPushButton("Help");
    help->setObjectName("HelpBtn");
    SetHelpIcon(*help);
    QObject::connect(close, &QPushButton::clicked, &dialog, &QDialog::accept);
    QObject::connect(help, &QPushButton::clicked, &dialog, std::move(onHelp));
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(close);
    row->addWidget(help);
    return row;
}

} // namespace lumora::ui
