#include "CliUi.h"

#include <iostream>
#include <string>

namespace lumora::cli {

namespace {
// Message texts use CR LF between lines; a terminal wants LF.
std::string ForTerminal(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != '\r')
            out += c;
    return out;
}
} // namespace

void CliUi::Warning(const std::string& text) {
    std::cerr << "lumora: warning: " << (m_Subject.empty() ? "" : m_Subject + ": ")
              << ForTerminal(text) << '\n';
}

bool CliUi::AskYesNo(const std::string& text) {
    std::cerr << "lumora: " << ForTerminal(text)
              << (m_AssumeYes ? " (yes: --yes)" : " (no: pass --yes to answer yes)") << '\n';
    return m_AssumeYes;
}

} // namespace lumora::cli
