#include "store/SaveDataManager.h"

#include "engine/base/FileUtils.h"
#include "engine/base/RefPtr.h"
#include "store/SaveListRecovery.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <map>
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

// An integer that, if present, must fit an identifier: a list holding one
// beyond the range is damaged, and its number is never narrowed.
bool fitsIdentifier(const Value& value) {
    if (value.getType() != Value::Type::INTEGER) {
        return true; // missing or not a number: read as 0 like any missing key
    }
    return value.asInt64() >= 0 && value.asInt64() <= INT_MAX;
}

bool isSoundList(const Value& root) {
    if (root.getType() != Value::Type::MAP) {
        return false;
    }
    const ValueMap& list = root.asValueMap();
    const Value& datas = engine::valueForKey(list, "datas");
    if (datas.getType() != Value::Type::VECTOR || !fitsIdentifier(engine::valueForKey(list, "lastid"))) {
        return false;
    }
    return std::all_of(datas.asValueVector().begin(), datas.asValueVector().end(), [](const Value& element) {
        return element.getType() != Value::Type::MAP ||
               fitsIdentifier(engine::valueForKey(element.asValueMap(), "identifer"));
    });
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

    SaveListRecovery recovered;
    if (files->isFileExist(listFullPath())) {
        const auto root = files->readPropertyList(listFullPath());
        if (root && isSoundList(*root)) {
            loadList(root->asValueMap());
            return true;
        }
        recovered = root ? SaveListRecovery::fromValue(*root)
                         : SaveListRecovery::fromXmlBytes(files->readFile(listFullPath()).value_or(""));
        damagedListInPlace_ = !setAsideDamagedList();
    }
    // No usable list: the programs on disk and what could be read of a damaged
    // list are the truth. On a fresh store this is an empty list with lastid 0.
    rebuildFromFiles(recovered);
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
        // The files are named by the identifier, whatever the list says: a
        // path in the file must never lead the store outside its folder.
        if (data->identifier > 0) {
            data->path = programPathFor(data->identifier);
            data->imagepath = imagePathFor(data->identifier);
        }
        data->modify = engine::valueForKey(entry, "modify").asString();
        datas_.pushBack(data);
        data->release();
        // A list whose "lastid" is missing or too low must still not hand out
        // an identifier that an entry owns.
        lastid_ = std::max(lastid_, data->identifier);
    }
}

void SaveDataManager::rebuildFromFiles(const SaveListRecovery& recovered) {
    auto* files = FileUtils::getInstance();
    std::map<int, const SaveListRecovery::Entry*, std::greater<>> entries;
    for (const auto& entry : recovered.entries) {
        entries.emplace(entry.identifier, &entry);
    }
    int largest = std::max(recovered.lastid, 0);
    for (const std::string& name : files->listFiles(folderFullPath())) {
        if (const auto identifier = identifierInName(name, "", ".plist")) {
            entries.emplace(*identifier, nullptr);
            largest = std::max(largest, *identifier);
        } else if (const auto pictured = identifierInName(name, "img", ".png")) {
            largest = std::max(largest, *pictured);
        }
    }
    // Identifiers grow with creation, so the newest program has the largest.
    for (const auto& [identifier, entry] : entries) {
        auto* data = new SaveData();
        data->init();
        data->identifier = identifier;
        data->path = programPathFor(identifier);
        data->imagepath = imagePathFor(identifier);
        std::tm local{};
        const std::time_t modified = files->getFileModificationTime(rootPath_ + data->path).value_or(0);
        localtime_r(&modified, &local);
        data->modify = entry && entry->modify ? *entry->modify : formatTimeStamp(local);
        data->title = entry && entry->title ? *entry->title : data->modify;
        datas_.pushBack(data);
        data->release();
        largest = std::max(largest, identifier);
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

SaveDataManager::SaveResult SaveDataManager::saveProgram(SaveData* data, ValueVector program) {
    if (!data) {
        return SaveResult::Failed;
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
    const std::string programFile = rootPath_ + programPathFor(data->identifier);
    const bool written = data->identifier > 0 && files->writeValueVectorToFile(program, programFile);
    if (listed) {
        return written ? SaveResult::Updated : SaveResult::Failed;
    }

    const int previousLastId = lastid_;
    if (written) {
        lastid_ = std::max(lastid_, data->identifier);
        data->modify = stamp;
        if (writeList()) {
            return SaveResult::Added;
        }
        // A program the list does not name would be lost at the next start.
        lastid_ = previousLastId;
        files->removeFile(programFile);
    }
    // Keeping the entry would leave it an identifier that the next new
    // program also receives: two entries, one file. Start over next time.
    data->retain();
    datas_.eraseObject(data);
    data->init();
    data->release();
    return SaveResult::Failed;
}

bool SaveDataManager::renameData(SaveData* data, const std::string& title) {
    if (!data || !datas_.contains(data)) {
        return false;
    }
    std::string previous = std::move(data->title);
    data->title = title;
    if (!writeList()) {
        data->title = std::move(previous);
        return false;
    }
    return true;
}

bool SaveDataManager::removeData(SaveData* data) {
    const long position = data ? datas_.getIndex(data) : -1;
    if (position < 0) {
        return writeList();
    }
    const engine::RefPtr<SaveData> held(data);
    datas_.eraseObject(data);
    // The list first: if it cannot be written the entry stays, with its files.
    if (!writeList()) {
        datas_.insert(static_cast<std::size_t>(position), data);
        return false;
    }
    // Only the two files the store names itself for this identifier.
    if (data->identifier > 0) {
        auto* files = FileUtils::getInstance();
        files->removeFile(rootPath_ + imagePathFor(data->identifier));
        files->removeFile(rootPath_ + programPathFor(data->identifier));
    }
    return true;
}

ValueVector SaveDataManager::loadProgram(SaveData* data) const {
    if (!data || data->identifier <= 0) {
        return {};
    }
    const std::string file = rootPath_ + programPathFor(data->identifier);
    std::optional<Value> root = FileUtils::getInstance()->readPropertyList(file);
    if (root && root->getType() == Value::Type::VECTOR) {
        return std::move(root->asValueVector());
    }
    // A program that cannot be read is moved aside before the editor's first
    // save could replace it with an empty field.
    setAside(file);
    return {};
}

std::string SaveDataManager::getProgramFullPath(const SaveData* data) const {
    return data && data->identifier > 0 ? rootPath_ + programPathFor(data->identifier) : std::string();
}

std::string SaveDataManager::getImageFullPath(SaveData* data) const {
    return data && data->identifier > 0 ? rootPath_ + imagePathFor(data->identifier) : std::string();
}
