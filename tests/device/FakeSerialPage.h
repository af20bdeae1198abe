#pragma once

#include "device/web/SerialPage.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace pavlune {

// The page's serial link as a test scripts it: its ports, and the transfers
// handed to it with the state each poll reports.
class FakeSerialPage : public SerialPage {
public:
    struct Started {
        int index;
        std::string json;
    };

    bool isAvailable = true;
    std::vector<Port> present;
    int changeCount = 0;
    int chooseCalls = 0;
    int choiceCount = 0;
    int chosen = -1;
    int refusalCount = 0;
    std::vector<float> chooseArea;
    std::function<void()> onChange;
    std::vector<Started> started;
    std::vector<int> stopped;
    // What a poll of the latest transfer reports.
    Transfer next{Transfer::State::running, 0, "", ""};
    int polls = 0;

    bool available() override { return isAvailable; }
    std::vector<Port> ports() override { return present; }
    int changes() override { return changeCount; }
    void choose() override { ++chooseCalls; }
    int choices() override { return choiceCount; }
    int chosenIndex() override { return chosen; }
    int refusals() override { return refusalCount; }
    void setOnChange(std::function<void()> handler) override { onChange = std::move(handler); }
    void setChooseArea(float left, float top, float right, float bottom) override {
        chooseArea = {left, top, right, bottom};
    }
    int startTransfer(int index, const std::string& stepsJson) override {
        started.push_back({index, stepsJson});
        next = {Transfer::State::running, 0, "", ""}; // a new transfer runs until told otherwise
        return static_cast<int>(started.size()) + 100;
    }
    Transfer pollTransfer(int) override {
        ++polls;
        return next;
    }
    void stopTransfer(int id) override { stopped.push_back(id); }
};

} // namespace pavlune
