// A UiServices fake for tests: answers questions from a script and logs every text it is shown.
#pragma once

#include "platform/UiServices.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace lumora::test {

class RecordingUi : public UiServices {
public:
    void Warning(const std::string& text) override { Warnings.push_back(text); }
    bool AskYesNo(const std::string& text) override {
        Questions.push_back(text);
        if (Answers.empty())
            return false;
        const bool answer = Answers.front();
        Answers.pop_front();
        return answer;
    }
    void ProcessPendingEvents() override {
        ++PendingEventRuns;
        if (OnPendingEvents)
            OnPendingEvents();
    }
    void SetBusyCursor(bool busy) override {
        BusyCursorChanges.push_back(busy);
        Busy = busy;
    }

    std::vector<std::string> Warnings;
    std::vector<std::string> Questions;
    std::deque<bool> Answers; // answers to the next questions; No once empty
    std::vector<bool> BusyCursorChanges;
    bool Busy = false;
    int PendingEventRuns = 0;
    // Runs while pending events are processed: where a test presses "Abort".
    std::function<void()> OnPendingEvents;
};

} // namespace lumora::test
