#include "device/web/EmscriptenSerialPage.h"

#include "device/PlatformSerialBackend.h"
#include "device/web/WebSerialBackend.h"

#include <array>
#include <emscripten.h>
#include <functional>
#include <utility>

// The page's link is made on first use; without Web Serial it lists nothing.
// clang-format off
EM_JS(int, pavlune_serial_available, (), {
    if (!globalThis.pavluneSerialLink) {
        globalThis.pavluneSerialLink = new PavluneWebSerialLink.WebSerialLink(
            typeof navigator !== "undefined" && navigator.serial ? navigator.serial : null);
        globalThis.pavluneSerialLink.onChange = function() {
            if (Module["_pavlune_serial_page_changed"]) {
                Module["_pavlune_serial_page_changed"]();
            }
        };
        globalThis.pavluneSerialLink.refresh();
        if (typeof Module !== "undefined" && Module.canvas) {
            globalThis.pavluneSerialLink.watchChooseButton(Module.canvas);
        }
    }
    return globalThis.pavluneSerialLink.available() ? 1 : 0;
});

EM_JS(int, pavlune_serial_port_count, (), {
    return globalThis.pavluneSerialLink.ports.length;
});

EM_JS(int, pavlune_serial_port_is_usb, (int index), {
    const port = globalThis.pavluneSerialLink.ports[index];
    const info = port && port.getInfo ? port.getInfo() : {};
    return info.usbVendorId !== undefined ? 1 : 0;
});

// 0: the vendor, 1: the product; -1 when the browser does not tell.
EM_JS(int, pavlune_serial_port_usb_id, (int index, int which), {
    const port = globalThis.pavluneSerialLink.ports[index];
    const info = port && port.getInfo ? port.getInfo() : {};
    const id = which === 0 ? info.usbVendorId : info.usbProductId;
    return id !== undefined ? id : -1;
});

EM_JS(void, pavlune_serial_port_description, (int index, char* buffer, int size), {
    stringToUTF8(globalThis.pavluneSerialLink.describe(index), buffer, size);
});

EM_JS(int, pavlune_serial_changes, (), {
    return globalThis.pavluneSerialLink.changes;
});

EM_JS(void, pavlune_serial_choose, (), {
    globalThis.pavluneSerialLink.choose();
});

EM_JS(int, pavlune_serial_choices, (), {
    return globalThis.pavluneSerialLink.choices;
});

EM_JS(int, pavlune_serial_chosen_index, (), {
    return globalThis.pavluneSerialLink.chosenIndex;
});

EM_JS(int, pavlune_serial_refusals, (), {
    return globalThis.pavluneSerialLink.refusals;
});

EM_JS(void, pavlune_serial_set_choose_area, (float left, float top, float right, float bottom), {
    globalThis.pavluneSerialLink.setChooseArea(left, top, right, bottom);
});

EM_JS(int, pavlune_serial_start, (int index, const char* json), {
    return globalThis.pavluneSerialLink.start(index, JSON.parse(UTF8ToString(json)).steps);
});

EM_JS(int, pavlune_serial_poll, (int id, int* position, char* kind, char* reason, int size), {
    const states = ["running", "done", "stopped", "writeFailed", "openFailed"];
    const t = globalThis.pavluneSerialLink.poll(id);
    HEAP32[position >> 2] = t.position;
    stringToUTF8(t.kind || "", kind, size);
    stringToUTF8(t.reason || "", reason, size);
    const state = states.indexOf(t.state);
    return state < 0 ? 5 : state;
});

EM_JS(void, pavlune_serial_stop, (int id), {
    globalThis.pavluneSerialLink.stop(id);
});
// clang-format on

namespace {

constexpr int kTextSize = 256;

std::function<void()>& changeHandler() {
    static std::function<void()> handler;
    return handler;
}

} // namespace

// The page's word that its list or the user's choice changed.
extern "C" EMSCRIPTEN_KEEPALIVE void pavlune_serial_page_changed() {
    if (changeHandler()) {
        changeHandler()();
    }
}

namespace pavlune {

std::shared_ptr<SerialPage> EmscriptenSerialPage::shared() {
    static const std::shared_ptr<SerialPage> page = std::make_shared<EmscriptenSerialPage>();
    return page;
}

bool EmscriptenSerialPage::available() {
    return pavlune_serial_available() != 0;
}

std::vector<SerialPage::Port> EmscriptenSerialPage::ports() {
    std::vector<Port> found;
    if (!available()) {
        return found;
    }
    const int count = pavlune_serial_port_count();
    for (int i = 0; i < count; ++i) {
        std::array<char, kTextSize> text{};
        pavlune_serial_port_description(i, text.data(), kTextSize);
        found.push_back({text.data(), pavlune_serial_port_is_usb(i) != 0, pavlune_serial_port_usb_id(i, 0),
                         pavlune_serial_port_usb_id(i, 1)});
    }
    return found;
}

int EmscriptenSerialPage::changes() {
    return available() ? pavlune_serial_changes() : 0;
}

void EmscriptenSerialPage::choose() {
    if (available()) {
        pavlune_serial_choose();
    }
}

int EmscriptenSerialPage::choices() {
    return available() ? pavlune_serial_choices() : 0;
}

int EmscriptenSerialPage::chosenIndex() {
    return available() ? pavlune_serial_chosen_index() : -1;
}

int EmscriptenSerialPage::refusals() {
    return available() ? pavlune_serial_refusals() : 0;
}

void EmscriptenSerialPage::setChooseArea(float left, float top, float right, float bottom) {
    if (available()) {
        pavlune_serial_set_choose_area(left, top, right, bottom);
    }
}

void EmscriptenSerialPage::setOnChange(std::function<void()> handler) {
    changeHandler() = std::move(handler);
}

int EmscriptenSerialPage::startTransfer(int index, const std::string& stepsJson) {
    available();
    return pavlune_serial_start(index, stepsJson.c_str());
}

SerialPage::Transfer EmscriptenSerialPage::pollTransfer(int id) {
    std::array<char, kTextSize> kind{};
    std::array<char, kTextSize> reason{};
    int position = 0;
    const int state = pavlune_serial_poll(id, &position, kind.data(), reason.data(), kTextSize);
    Transfer transfer;
    transfer.state = static_cast<Transfer::State>(state);
    transfer.position = position;
    transfer.kind = kind.data();
    transfer.reason = reason.data();
    return transfer;
}

void EmscriptenSerialPage::stopTransfer(int id) {
    pavlune_serial_stop(id);
}

std::unique_ptr<SerialBackend> createPlatformSerialBackend() {
    return std::make_unique<WebSerialBackend>(EmscriptenSerialPage::shared());
}

std::shared_ptr<SerialPage> platformSerialPage() {
    return EmscriptenSerialPage::shared();
}

} // namespace pavlune
