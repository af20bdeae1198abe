#pragma once

#include "device/web/SerialPage.h"

#include <memory>

namespace pavlune {

// The page's serial link as proj.web/serial/web-serial-link.js provides it,
// reached through JavaScript calls (browser builds only).
class EmscriptenSerialPage : public SerialPage {
public:
    // The one page of the process, shared by the backend and the transfers.
    static std::shared_ptr<SerialPage> shared();

    bool available() override;
    std::vector<Port> ports() override;
    int changes() override;
    void choose() override;
    int choices() override;
    int chosenIndex() override;
    int refusals() override;
    void setChooseArea(float left, float top, float right, float bottom) override;
    void setOnChange(std::function<void()> handler) override;
    int startTransfer(int index, const std::string& stepsJson) override;
    Transfer pollTransfer(int id) override;
    void stopTransfer(int id) override;
};

} // namespace pavlune
