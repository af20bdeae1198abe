#include "store/SaveDataManager.h"

#include "engine/base/FileUtils.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <utility>
#include <vector>

using engine::FileUtils;
using engine::Value;
using engine::ValueMap;
using engine::ValueVector;

namespace {

const std::string folderName = "savedatas";
const std::string listName = "savedatas/list.plist";

std::string programPathFor(int identifier) { return folderName + "/" + std::to_string(identifier) + ".plist"; }

std::string imagePathFor(int identifier) { return folderName + "/img" + std::to_string(identifier) + ".png"; }

// The identifier in a file name such as "12.plist" or "img12.png": digits only,
// no leading zero, at least 1, within int.
std::optional<int> identifierInName(const std::string& name, const std::string& prefix,
                                    const std::string& suffix) {
    if (name.size() <= prefix.size() + suffix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0) {
        return std::nullopt;
    }
    const char* first = name.data() + prefix.size();
    const char* last = name.data() + name.size() - suffix.size();
    if (*first < '1' || *first > '9') {
        return std::nullopt;
    }
    int identifier = 0;
    const auto result = std::from_chars(first, last, identifier);
    if (result.ec != std::errc() || result.ptr != last) {
        return std::nullopt;
    }
    return identifier;
}

} // namespace

SaveDataManager* SaveDataManager::getInstance() {
    static SaveDataManager* instance = [] {
        auto* manager = new SaveDataManager();
        manager->init();
        return manager;
    }();
    return instance;
}

SaveDataManager* SaveDataManager::create(Clock clock) {
    auto* manager = new SaveDataManager();
    manager->setClock(std::move(clock));
    manager->init();
    manager->autorelease();
    return manager;
}

SaveDataManager::~SaveDataManager() = default;

void SaveDataManager::setClock(Clock clock) { clock_ = clock ? std::move(clock) : Clock(currentLocalTime); }

std::tm SaveDataManager::currentLocalTime() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

std::string SaveDataManager::formatTimeStamp(const std::tm& localTime) {
    return std::to_string(localTime.tm_year + 1900) + "/" + std::to_string(localTime.tm_mon + 1) + "/" +
           std::to_string(localTime.tm_mday) + " " + std::to_string(localTime.tm_hour) + ":" +
           std::to_string(localTime.tm_min) + ":" + std::to_string(localTime.tm_sec);
}

std::string SaveDataManager::listFullPath() const { return rootPath_ + listName; }

std::string SaveDataManager::folderFullPath() const { return rootPath_ + folderName; }

bool SaveDataManager::init() {
    if (!clock_) {
        setClock(nullptr);
    }
    auto* files = FileUtils::getInstance();
    rootPath_ = files->getWritablePath();
    datas_.clear();
    lastid_ = 0;
    damagedListInPlace_ = false;

    int damagedLastId = 0;
    if (files->isFileExist(listFullPath())) {
        const auto root = files->readPropertyList(listFullPath());
        if (root && root->getType() == Value::Type::MAP &&
            engine::valueForKey(root->asValueMap(), "datas").getType() == Value::Type::VECTOR) {
            loadList(root->asValueMap());
            return true;
        }
        // Readable enough to say which identifiers were handed out already?
        if (root) {
            damagedLastId = engine::valueForKey(root->asValueMap(), "lastid").asInt();
        }
        damagedListInPlace_ = !setAsideDamagedList();
    }
    // No usable list: the programs on disk are the truth. On a fresh store
    // this is an empty list with lastid 0.
    rebuildFromFiles(damagedLastId);
    files->createDirectory(folderFullPath());
    writeList();
    return true;
}

void SaveDataManager::loadList(const ValueMap& list) {
    lastid_ = engine::valueForKey(list, "lastid").asInt();
    const ValueVector& entries = engine::valueForKey(list, "datas").asValueVector();
    datas_.reserve(entries.size());
    for (const Value& element : entries) {
        if (element.getType() != Value::Type::MAP) {
            continue; // nothing to show or open
        }
        const ValueMap& entry = element.asValueMap();
        auto* data = new SaveData();
        data->init();
        data->identifier = engine::valueForKey(entry, "identifer").asInt();
        data->title = engine::valueForKey(entry, "title").asString();
        data->path = engine::valueForKey(entry, "path").asString();
        data->imagepath = engine::valueForKey(entry, "imagepath").asString();
        data->modify = engine::valueForKey(entry, "modify").asString();
        datas_.pushBack(data);
        data->release();
        // A list whose "lastid" is missing or too low must still not hand out
        // an identifier that an entry owns.
        lastid_ = std::max(lastid_, data->identifier);
    }
}

void SaveDataManager::rebuildFromFiles(int knownLastId) {
    auto* files = FileUtils::getInstance();
    std::vector<int> programs;
    int largest = std::max(knownLastId, 0);
    for (const std::string& name : files->listFiles(folderFullPath())) {
        if (const auto identifier = identifierInName(name, "", ".plist")) {
            programs.push_back(*identifier);
            largest = std::max(largest, *identifier);
        } else if (const auto pictured = identifierInName(name, "img", ".png")) {
            largest = std::max(largest, *pictured);
        }
    }
    // Identifiers grow with creation, so the newest program has the largest.
    std::sort(programs.rbegin(), programs.rend());
    for (const int identifier : programs) {
        auto* data = new SaveData();
        data->init();
        data->identifier = identifier;
        data->path = programPathFor(identifier);
        data->imagepath = imagePathFor(identifier);
        std::tm local{};
        const std::time_t modified = files->getFileModificationTime(rootPath_ + data->path).value_or(0);
        localtime_r(&modified, &local);
        data->modify = formatTimeStamp(local);
        data->title = data->modify;
        datas_.pushBack(data);
        data->release();
    }
    lastid_ = largest;
}

bool SaveDataManager::setAsideDamagedList() { return setAside(listFullPath()); }

bool SaveDataManager::setAside(const std::string& fullPath) const {
    auto* files = FileUtils::getInstance();
    if (!files->isFileExist(fullPath)) {
        return true;
    }
    const std::tm now = clock_();
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &now);
    const std::string base = fullPath + ".damaged-" + stamp;
    std::string target = base;
    for (int attempt = 2; files->isFileExist(target) || files->isDirectoryExist(target); ++attempt) {
        target = base + "-" + std::to_string(attempt);
    }
    return files->renameFile(fullPath, target);
}

bool SaveDataManager::writeList() {
    if (damagedListInPlace_) {
        damagedListInPlace_ = !setAsideDamagedList();
        if (damagedListInPlace_) {
            return false;
        }
    }
    ValueVector entries;
    entries.reserve(datas_.size());
    for (const SaveData* data : datas_) {
        ValueMap entry;
        entry.reserve(5);
        entry.emplace("identifer", Value(data->identifier));
        entry.emplace("title", Value(data->title));
        entry.emplace("path", Value(data->path));
        entry.emplace("imagepath", Value(data->imagepath));
        entry.emplace("modify", Value(data->modify));
        entries.emplace_back(std::move(entry));
    }
    ValueMap list;
    list.emplace("lastid", Value(lastid_));
    list.emplace("datas", Value(std::move(entries)));
    auto* files = FileUtils::getInstance();
    files->createDirectory(folderFullPath());
    return files->writeValueMapToFile(list, listFullPath());
}

int SaveDataManager::unusedIdentifierAfter(int identifier) const {
    // A crash between writing a new program file and writing the list leaves
    // a program file that the list does not know; never write over it.
    auto* files = FileUtils::getInstance();
    int candidate = identifier + 1;
    while (files->isFileExist(rootPath_ + programPathFor(candidate)) ||
           files->isFileExist(rootPath_ + imagePathFor(candidate))) {
        ++candidate;
    }
    return candidate;
}

bool SaveDataManager::saveProgram(SaveData* data, ValueVector program) {
    if (!data) {
        return false;
    }
    const std::string stamp = formatTimeStamp(clock_());
    const bool listed = datas_.contains(data);
    if (!listed) {
        data->title = stamp;
        data->identifier = unusedIdentifierAfter(lastid_);
        data->path = programPathFor(data->identifier);
        data->imagepath = imagePathFor(data->identifier);
        // Newest first: append, then rotate it to the front.
        datas_.pushBack(data);
        auto& order = datas_.underlying();
        std::rotate(order.rbegin(), order.rbegin() + 1, order.rend());
    }

    auto* files = FileUtils::getInstance();
    files->createDirectory(folderFullPath());
    const bool written = !data->path.empty() && files->writeValueVectorToFile(program, rootPath_ + data->path);

    if (written && lastid_ < data->identifier) {
        lastid_ = data->identifier;
        data->modify = stamp;
        writeList();
    } else if (!written && !listed) {
        // Keeping the entry would leave it an identifier that the next new
        // program also receives: two entries, one file. Start over next time.
        data->retain();
        datas_.eraseObject(data);
        data->init();
        data->release();
    }
    return listed;
}

void SaveDataManager::removeData(SaveData* data) {
    if (data) {
        auto* files = FileUtils::getInstance();
        // An empty name would point at W itself; there is nothing to delete then.
        if (!data->imagepath.empty()) {
            files->removeFile(rootPath_ + data->imagepath);
        }
        if (!data->path.empty()) {
            files->removeFile(rootPath_ + data->path);
        }
        datas_.eraseObject(data);
    }
    writeList();
}

ValueVector SaveDataManager::loadProgram(SaveData* data) const {
    if (!data || data->path.empty()) {
        return {};
    }
    const std::string file = rootPath_ + data->path;
    std::optional<Value> root = FileUtils::getInstance()->readPropertyList(file);
    if (root && root->getType() == Value::Type::VECTOR) {
        return std::move(root->asValueVector());
    }
    // A program that cannot be read is moved aside before the editor's first
    // save could replace it with an empty field.
    setAside(file);
    return {};
}

std::string SaveDataManager::getImageFullPath(SaveData* data) const {
    return data && !data->imagepath.empty() ? rootPath_ + data->imagepath : std::string();
}
