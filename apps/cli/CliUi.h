// The UI services of the command line: warnings to stderr, questions answered by --yes.
#pragma once

#include "platform/UiServices.h"

#include <string>

namespace lumora::cli {

class CliUi : public UiServices {
public:
    explicit CliUi(bool assumeYes = false) : m_AssumeYes(assumeYes) {}
    // The file the following warnings are about: they start with its name ("cave.plt: ...").
    void SetSubject(const std::string& fileName) { m_Subject = fileName; }
    void Warning(const std::string& text) override;
    // Prints the question; the answer is --yes (true) or no.
    bool AskYesNo(const std::string& text) override;
    void ProcessPendingEvents() override {}
    void SetBusyCursor(bool) override {}

private:
    bool m_AssumeYes;
    std::string m_Subject;
};

} // namespace lumora::cli
