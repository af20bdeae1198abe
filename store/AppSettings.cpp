#include "store/AppSettings.h"

#include "engine/base/FileUtils.h"
#include "engine/base/Log.h"
#include "store/SaveFileNames.h"
#include "store/StoreLock.h"

#include <cstdint>
#include <cstring>
#include <optional>

using engine::Value;
using engine::ValueMap;

namespace {

const char* const kDialectKey = "dialect";
const char* const kCardSetKey = "cardset";
const char* const kPortKey = "port";
const char* const kDeviceKey = "portdevice";
const char* const kDescriptionKey = "description";
const char* const kVendorKey = "usbvendor";
const char* const kProductKey = "usbproduct";
const char* const kSerialKey = "usbserial";
constexpr std::int64_t kMaxUsbId = 0xFFFF;

bool isShortText(const Value& value) {
    return value.getType() == Value::Type::STRING &&
           value.asString().size() <= AppSettings::kMaxPortNameLength;
}

// The device of the remembered port from its dictionary; false when a value
// is of the wrong kind or out of range.
bool readDevice(const ValueMap& device, AppSettings::Port& port) {
    const Value& description = engine::valueForKey(device, kDescriptionKey);
    const Value& vendor = engine::valueForKey(device, kVendorKey);
    const Value& product = engine::valueForKey(device, kProductKey);
    const Value& serial = engine::valueForKey(device, kSerialKey);
    const auto usbId = [](const Value& value) {
        return value.getType() == Value::Type::INTEGER && value.asInt64() >= 0 &&
               value.asInt64() <= kMaxUsbId;
    };
    if (!isShortText(description) || vendor.isNull() != product.isNull() ||
        (!vendor.isNull() && (!usbId(vendor) || !usbId(product))) ||
        (!serial.isNull() && !isShortText(serial))) {
        return false;
    }
    port.description = description.asString();
    port.usbVendor = vendor.isNull() ? -1 : static_cast<int>(vendor.asInt64());
    port.usbProduct = product.isNull() ? -1 : static_cast<int>(product.asInt64());
    port.usbSerial = serial.isNull() ? std::string() : serial.asString();
    port.confirmed = true;
    return true;
}

bool isChoice(int value) {
    return value >= 0 && value < AppSettings::kChoiceCount;
}

// A key's integer when it is present and in range; `damaged` is set when it is
// present but unusable.
std::optional<int> choiceAt(const ValueMap& map, const char* key, bool& damaged) {
    const Value& value = engine::valueForKey(map, key);
    if (value.isNull()) {
        return std::nullopt;
    }
    if (value.getType() != Value::Type::INTEGER || value.asInt64() < 0 ||
        value.asInt64() >= AppSettings::kChoiceCount) {
        damaged = true;
        return std::nullopt;
    }
    return static_cast<int>(value.asInt64());
}

} // namespace

AppSettings* AppSettings::getInstance() {
    static AppSettings* instance = [] {
        auto* settings = new AppSettings();
        settings->reload();
        return settings;
    }();
    return instance;
}

std::string AppSettings::fullPath() const {
    return engine::FileUtils::getInstance()->getWritablePath() + kFileName;
}

void AppSettings::reload() {
    dialect_ = 0;
    cardSet_ = 0;
    port_ = {};
    stored_.clear();
    unreadable_ = false;
    auto* files = engine::FileUtils::getInstance();
    const std::string path = fullPath();
    removeLeftoverTemporaries();
    using Status = engine::FileUtils::PlistRead::Status;
    const engine::FileUtils::PlistRead read = files->readPropertyListFile(path);
    if (read.status == Status::Missing) {
        return;
    }
    if (read.status == Status::Unreadable) {
        unreadable_ = true;
        engine::Log::error("store", path + ": cannot be read, left as it is; the defaults are used: " +
                                        std::strerror(read.error));
        return;
    }
    const std::optional<Value>& root = read.root;
    bool damaged = !root || root->getType() != Value::Type::MAP;
    if (!damaged) {
        stored_ = root->asValueMap();
        dialect_ = choiceAt(stored_, kDialectKey, damaged).value_or(0);
        cardSet_ = choiceAt(stored_, kCardSetKey, damaged).value_or(0);
        const Value& port = engine::valueForKey(stored_, kPortKey);
        if (isShortText(port)) {
            port_.name = port.asString();
        } else if (!port.isNull()) {
            damaged = true;
        }
        const Value& device = engine::valueForKey(stored_, kDeviceKey);
        if (!device.isNull() && (port_.name.empty() || device.getType() != Value::Type::MAP ||
                                 !readDevice(device.asValueMap(), port_))) {
            port_ = {port_.name}; // the name alone is still worth something
            damaged = true;
        }
    }
    if (damaged) {
        engine::Log::warning("store", path + ": damaged, replaced by the choices read from it");
        write();
    }
}

bool AppSettings::setDialect(int dialect) {
    if (!isChoice(dialect)) {
        return false;
    }
    if (dialect == dialect_) {
        return true;
    }
    dialect_ = dialect;
    return write();
}

bool AppSettings::setCardSet(int cardSet) {
    if (!isChoice(cardSet)) {
        return false;
    }
    if (cardSet == cardSet_) {
        return true;
    }
    cardSet_ = cardSet;
    return write();
}

bool AppSettings::setPort(const Port& port) {
    const auto usbId = [](int id) { return id >= -1 && id <= kMaxUsbId; };
    if (port.name.size() > kMaxPortNameLength || port.description.size() > kMaxPortNameLength ||
        port.usbSerial.size() > kMaxPortNameLength || !usbId(port.usbVendor) || !usbId(port.usbProduct)) {
        return false;
    }
    if (port == port_) {
        return true;
    }
    port_ = port;
    return write();
}

bool AppSettings::mayWrite() {
    return StoreLock::forProcess(engine::FileUtils::getInstance()->getWritablePath()) !=
           StoreLock::State::HeldElsewhere;
}

void AppSettings::removeLeftoverTemporaries() const {
    // Only the copy that holds the store writes the file, and it is not writing yet.
    auto* files = engine::FileUtils::getInstance();
    const std::string folder = files->getWritablePath();
    if (!mayWrite()) {
        return;
    }
    for (const std::string& name : files->listFiles(folder)) {
        if (SaveFileNames::isTemporaryFor(name, kFileName)) {
            files->removeFile(folder + name);
        }
    }
}

bool AppSettings::write() {
    if (unreadable_) {
        engine::Log::error("store",
                           fullPath() + ": not written: it could not be read and is not written over");
        return false;
    }
    if (!mayWrite()) {
        engine::Log::info("store", fullPath() + ": not written: another copy of the editor holds the store");
        return false;
    }
    stored_[kDialectKey] = Value(dialect_);
    stored_[kCardSetKey] = Value(cardSet_);
    stored_[kPortKey] = Value(port_.name);
    stored_.erase(kDeviceKey);
    if (port_.confirmed && !port_.name.empty()) {
        ValueMap device;
        device[kDescriptionKey] = Value(port_.description);
        if (port_.usbVendor >= 0 && port_.usbProduct >= 0) {
            device[kVendorKey] = Value(port_.usbVendor);
            device[kProductKey] = Value(port_.usbProduct);
            device[kSerialKey] = Value(port_.usbSerial);
        }
        stored_[kDeviceKey] = Value(std::move(device));
    }
    if (int error = 0; !engine::FileUtils::getInstance()->writeValueMapToFile(stored_, fullPath(), &error)) {
        engine::Log::error("store", fullPath() + ": not written: " + std::strerror(error));
        return false;
    }
    return true;
}
