// The ways core code reaches the user: warnings, Yes/No questions, pending events, busy cursor.
#pragma once

#include <string>

namespace lumora {

// Implemented by the Qt windows (message boxes), the command line (stderr and --yes) and the
// tests (RecordingUi). Core units take a reference and never show anything themselves.
class UiServices {
public:
    virtual ~UiServices() = default;

    // A modal warning with one OK button. Text may hold CR LF line breaks.
    virtual void Warning(const std::string& text) = 0;
    // A modal Yes/No question; true for Yes.
    virtual bool AskYesNo(const std::string& text) = 0;
    // Lets pending window events run, so an "Abort" button can be pressed during long work.
    virtual void ProcessPendingEvents() = 0;
    // Shows (true) or restores (false) the busy cursor.
    virtual void SetBusyCursor(bool busy) = 0;
};

// Answers nothing and shows nothing: for callers that have no user to ask.
class SilentUi : public UiServices {
public:
    void Warning(const std::string&) override {}
    bool AskYesNo(const std::string&) override { return false; }
    void ProcessPendingEvents() override {}
    void SetBusyCursor(bool) override {}
};

// Shows the busy cursor for the lifetime of the guard, and restores it on every way out.
class BusyCursorGuard {
public:
    explicit BusyCursorGuard(UiServices& ui) : m_Ui(ui) { m_Ui.SetBusyCursor(true); }
    ~BusyCursorGuard() { m_Ui.SetBusyCursor(false); }
    BusyCursorGuard(const BusyCursorGuard&) = delete;
    BusyCursorGuard& operator=(const BusyCursorGuard&) = delete;

private:
    UiServices& m_Ui;
};

} // namespace lumora
