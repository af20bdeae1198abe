#pragma once

#include "device/SerialBackend.h"
#include "device/web/SerialPage.h"

#include <memory>
#include <string>
#include <vector>

namespace pavlune {

// The serial backend of a browser build. Lists the ports the page knows
// ("USB 2341:0043", numbered when two look alike). Opening only checks that
// the port is still there: the page opens it itself for each transfer, which
// it carries out from a schedule without byte writes from here (writeByte
// always fails), since a write in the browser cannot block.
class WebSerialBackend : public SerialBackend {
public:
    explicit WebSerialBackend(std::shared_ptr<SerialPage> page);

    bool enumeratePorts(std::vector<SerialPortInfo>& found) override;
    PortOpenError openPort(const std::string& name) override;
    PortWriteError writeByte(std::uint8_t byte) override;
    void closePort() override;

    // The names of the page's ports, in its order.
    static std::vector<std::string> portNames(const std::vector<SerialPage::Port>& ports);
    // The page's index of the port of that name; -1 when none.
    int indexOf(const std::string& name);

    SerialPage& page() { return *page_; }

private:
    std::shared_ptr<SerialPage> page_;
};

} // namespace pavlune
