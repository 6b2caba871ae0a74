// QtUi — the user services of the windows: message boxes, pending events and the busy cursor.
#pragma once

#include "platform/UiServices.h"

class QString;
class QWidget;

namespace lumora::viewer {

class TQtUi : public UiServices {
public:
    explicit TQtUi(QWidget* owner = nullptr) : m_Owner(owner) {}
    void SetOwner(QWidget* owner) { m_Owner = owner; }
    void Warning(const std::string& text) override;
    bool AskYesNo(const std::string& text) override;
    void ProcessPendingEvents() override;
    void SetBusyCursor(bool busy) override;

private:
    QWidget* m_Owner;
};

// A message's CR LF line breaks as plain line breaks for a message box.
QString BoxText(const std::string& text);

} // namespace lumora::viewer
