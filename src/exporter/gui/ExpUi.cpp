#include "exporter/gui/ExpUi.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>

namespace lumora::exporter {

namespace {
const char* const kBoxTitle = "Quiltra 3D Exporter";
} // namespace

QString MessageText(const std::string& text) {
    QString s = QString::fromStdString(text);
    s.replace("\r\n", "\n");
    s.replace("\n\r", "\n");
    return s;
}

void TExporterUi::Warning(const std::string& text) {
    QMessageBox::warning(m_Owner, kBoxTitle, MessageText(text));
}

bool TExporterUi::AskYesNo(const std::string& text) {
    return QMessageBox::question(m_Owner, kBoxTitle, MessageText(text),
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void TExporterUi::ProcessPendingEvents() {
    QApplication::processEvents();
}

void TExporterUi::SetBusyCursor(bool busy) {
    if (busy)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QGuiApplication::restoreOverrideCursor();
}

} // namespace lumora::exporter
