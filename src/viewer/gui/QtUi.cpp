#include "viewer/gui/QtUi.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>

namespace lumora::viewer {

QString BoxText(const std::string& text) {
    QString s = QString::fromStdString(text);
    s.replace("\r\n", "\n");
    s.replace("\n\r", "\n");
    return s;
}

void TQtUi::Warning(const std::string& text) {
    QMessageBox::warning(m_Owner, QApplication::applicationDisplayName(), BoxText(text));
}

bool TQtUi::AskYesNo(const std::string& text) {
    return QMessageBox::question(m_Owner, QApplication::applicationDisplayName(), BoxText(text),
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void TQtUi::ProcessPendingEvents() {
    QApplication::processEvents();
}

void TQtUi::SetBusyCursor(bool busy) {
    if (busy)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QGuiApplication::restoreOverrideCursor();
}

} // namespace lumora::viewer
