#include "store/AppSettings.h"

#include "engine/base/FileUtils.h"
#include "engine/base/Log.h"
#include "store/SaveFileNames.h"
#include "store/StoreLock.h"

#include <cstring>
#include <optional>

using engine::Value;
using engine::ValueMap;

namespace {

const char* const kDialectKey = "dialect";
const char* const kCardSetKey = "cardset";
const char* const kPortKey = "port";

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
    portName_.clear();
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
        if (port.getType() == Value::Type::STRING && port.asString().size() <= kMaxPortNameLength) {
            portName_ = port.asString();
        } else if (!port.isNull()) {
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

bool AppSettings::setPortName(const std::string& name) {
    if (name.size() > kMaxPortNameLength) {
        return false;
    }
    if (name == portName_) {
        return true;
    }
    portName_ = name;
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
    stored_[kPortKey] = Value(portName_);
    if (int error = 0; !engine::FileUtils::getInstance()->writeValueMapToFile(stored_, fullPath(), &error)) {
        engine::Log::error("store", fullPath() + ": not written: " + std::strerror(error));
        return false;
    }
    return true;
}
