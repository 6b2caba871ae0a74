// ExpUi — the exporter window's user services: warnings and questions as message boxes, pending
// events and the busy cursor.
#pragma once

#include "platform/UiServices.h"

class QString;
class QWidget;

namespace lumora::exporter {

class TExporterUi : public UiServices {
public:
    explicit TExporterUi(QWidget* owner = nullptr) : m_Owner(owner) {}
    void SetOwner(QWidget* owner) { m_Owner = owner; }
    void Warning(const std::string& text) override;
    bool AskYesNo(const std::string& text) override;
    void ProcessPendingEvents() override;
    void SetBusyCursor(bool busy) override;

private:
    QWidget* m_Owner;
};

// A message's CR LF line breaks as the plain line breaks of a message box.
QString MessageText(const std::string& text);

} // namespace lumora::exporter
