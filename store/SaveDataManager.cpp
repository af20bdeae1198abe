#include "store/SaveDataManager.h"

#include "engine/base/FileUtils.h"
#include "engine/base/Log.h"
#include "engine/base/PlistCodec.h"
#include "engine/base/RefPtr.h"
#include "store/SaveFileNames.h"
#include "store/SaveListRecovery.h"
#include "store/StoreLock.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <map>
#include <optional>
#include <utility>
#include <vector>

using engine::FileUtils;
using engine::Value;
using engine::ValueMap;
using engine::ValueVector;

namespace {

std::string programPathFor(int identifier) {
    return SaveFileNames::programPath(identifier);
}

std::string imagePathFor(int identifier) {
    return SaveFileNames::imagePath(identifier);
}

} // namespace

SaveDataManager* SaveDataManager::getInstance() {
    static SaveDataManager* instance = [] {
        auto* manager = new SaveDataManager();
        manager->requested_ = Access::Exclusive;
        manager->init();
        return manager;
    }();
    return instance;
}

SaveDataManager* SaveDataManager::create(Clock clock, Access access) {
    auto* manager = new SaveDataManager();
    manager->setClock(std::move(clock));
    manager->requested_ = access;
    manager->init();
    manager->autorelease();
    return manager;
}

SaveDataManager::~SaveDataManager() = default;

void SaveDataManager::setClock(Clock clock) {
    clock_ = clock ? std::move(clock) : Clock(currentLocalTime);
}

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

std::string SaveDataManager::listFullPath() const {
    return rootPath_ + SaveFileNames::kList;
}

std::string SaveDataManager::folderFullPath() const {
    return rootPath_ + SaveFileNames::kFolder;
}

std::string SaveDataManager::relative(const std::string& fullPath) const {
    return fullPath.compare(0, rootPath_.size(), rootPath_) == 0 ? fullPath.substr(rootPath_.size())
                                                                 : fullPath;
}

std::vector<SaveDataManager::Problem> SaveDataManager::takeListProblems() {
    return std::exchange(listProblems_, {});
}

bool SaveDataManager::failed(const std::string& fullPath, const std::string& reason) {
    lastFailure_ = Problem{Problem::Kind::NotWritten, relative(fullPath), reason};
    engine::Log::error("store", fullPath + ": not written: " + reason);
    return false;
}

void SaveDataManager::logProblem(const Problem& problem) const {
    const std::string path = rootPath_ + problem.file;
    switch (problem.kind) {
    case Problem::Kind::Unreadable:
        engine::Log::error("store", path + ": cannot be read, left as it is: " + problem.detail);
        break;
    case Problem::Kind::SetAside:
        engine::Log::warning("store", path + ": damaged, kept as " + rootPath_ + problem.detail);
        break;
    case Problem::Kind::NotWritten:
        engine::Log::error("store", path + ": not written: " + problem.detail);
        break;
    case Problem::Kind::HeldElsewhere:
        break; // logged by the lock
    }
}

bool SaveDataManager::init() {
    if (!clock_) {
        setClock(nullptr);
    }
    auto* files = FileUtils::getInstance();
    rootPath_ = requested_ == Access::ReadOnly ? files->peekWritablePath() : files->getWritablePath();
    listProblems_.clear();
    access_ = requested_;
    if (requested_ == Access::Exclusive) {
        // Before anything is written, and before the list is read: the copy
        // that holds the store may be writing it.
        const bool elsewhere = StoreLock::forProcess(rootPath_) == StoreLock::State::HeldElsewhere;
        access_ = elsewhere ? Access::ReadOnly : Access::ReadWrite;
        if (elsewhere) {
            listProblems_.push_back({Problem::Kind::HeldElsewhere, StoreLock::kFileName, {}});
        }
    }
    const bool writable = access_ == Access::ReadWrite;
    datas_.clear();
    lastid_ = 0;
    damagedListInPlace_ = false;
    listUnreadable_ = false;
    listUnreadableReason_.clear();
    protectedPrograms_.clear();
    lastFailure_.reset();
    if (writable) {
        removeLeftoverTemporaries();
    }

    using Status = FileUtils::PlistRead::Status;
    const FileUtils::PlistRead read = files->readPropertyListFile(listFullPath());
    SaveListRecovery recovered;
    if (read.status == Status::Read && SaveListRecovery::isSound(*read.root)) {
        loadList(read.root->asValueMap());
        const bool separated = separateSharedIdentifiers();
        const bool added = listUnlistedPrograms();
        if (writable && (separated || added)) {
            writeList();
        }
        return true;
    }
    if (read.status == Status::Unreadable) {
        // Shown from the program files, but the list itself is left alone.
        listUnreadable_ = true;
        listUnreadableReason_ = std::strerror(read.error);
        listProblems_.push_back({Problem::Kind::Unreadable, SaveFileNames::kList, listUnreadableReason_});
        logProblem(listProblems_.back());
        rebuildFromFiles(recovered);
        return true;
    }
    if (read.status != Status::Missing) {
        if (read.root) {
            recovered = SaveListRecovery::fromValue(*read.root);
        } else {
            // Cut off, broken, or beyond the limits (a title too long, too
            // many values): what libxml2's recovering reader finds within its
            // own limits is worth keeping. A file over the size limit is not read.
            auto bytes = files->readFileUpTo(listFullPath(), engine::PlistGuard::Limits().maxBytes);
            recovered = SaveListRecovery::fromXmlBytes(bytes.bytes);
        }
        std::string keptAs;
        if (int error = 0; writable && !setAside(listFullPath(), &keptAs, &error)) {
            damagedListInPlace_ = true;
            engine::Log::error("store", listFullPath() +
                                            ": damaged, and could not be set aside: " + std::strerror(error));
        }
        if (!keptAs.empty()) {
            listProblems_.push_back({Problem::Kind::SetAside, SaveFileNames::kList, relative(keptAs)});
            logProblem(listProblems_.back());
        }
    }
    // No usable list: the programs on disk and what could be read of a damaged
    // list are the truth. On a fresh store this is an empty list with lastid 0.
    rebuildFromFiles(recovered);
    if (writable) {
        files->createDirectory(folderFullPath());
        writeList();
    }
    return true;
}

void SaveDataManager::removeLeftoverTemporaries() const {
    // Only this store writes here, and it is not writing yet.
    auto* files = FileUtils::getInstance();
    for (const std::string& name : files->listFiles(folderFullPath())) {
        if (SaveFileNames::isLeftoverTemporary(name)) {
            files->removeFile(folderFullPath() + "/" + name);
        }
    }
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

bool SaveDataManager::separateSharedIdentifiers() {
    // Two entries naming one program file would lose it when either is
    // deleted: the later one gets a new number and a copy of the files.
    std::set<int> seen;
    bool changed = false;
    for (SaveData* data : datas_) {
        if (data->identifier <= 0 || seen.insert(data->identifier).second || access_ == Access::ReadOnly) {
            continue;
        }
        const int shared = data->identifier;
        const int identifier = unusedIdentifier();
        if (identifier <= 0) {
            continue;
        }
        copyFile(rootPath_ + programPathFor(shared), rootPath_ + programPathFor(identifier));
        copyFile(rootPath_ + imagePathFor(shared), rootPath_ + imagePathFor(identifier));
        data->identifier = identifier;
        data->path = programPathFor(identifier);
        data->imagepath = imagePathFor(identifier);
        seen.insert(identifier);
        lastid_ = std::max(lastid_, identifier);
        changed = true;
    }
    return changed;
}

bool SaveDataManager::listUnlistedPrograms() {
    std::set<int> listed;
    for (const SaveData* data : datas_) {
        listed.insert(data->identifier);
    }
    std::vector<int> unlisted;
    for (const std::string& name : FileUtils::getInstance()->listFiles(folderFullPath())) {
        const auto identifier = SaveFileNames::programIdentifier(name);
        if (identifier && listed.count(*identifier) == 0) {
            unlisted.push_back(*identifier);
        }
    }
    // New programs go to the front, the newest (largest) first.
    std::sort(unlisted.begin(), unlisted.end());
    for (const int identifier : unlisted) {
        const std::string stamp = fileTimeStamp(identifier);
        SaveData* data = entryForFile(identifier, stamp, stamp);
        auto& order = datas_.underlying();
        std::rotate(order.rbegin(), order.rbegin() + 1, order.rend());
        lastid_ = std::max(lastid_, data->identifier);
    }
    return !unlisted.empty();
}

std::string SaveDataManager::fileTimeStamp(int identifier) const {
    const std::time_t modified =
        FileUtils::getInstance()->getFileModificationTime(rootPath_ + programPathFor(identifier)).value_or(0);
    std::tm local{};
    localtime_r(&modified, &local);
    return formatTimeStamp(local);
}

SaveData* SaveDataManager::entryForFile(int identifier, const std::string& title, const std::string& modify) {
    auto* data = new SaveData();
    data->init();
    data->identifier = identifier;
    data->path = programPathFor(identifier);
    data->imagepath = imagePathFor(identifier);
    data->title = title;
    data->modify = modify;
    datas_.pushBack(data);
    data->release();
    return data;
}

void SaveDataManager::rebuildFromFiles(const SaveListRecovery& recovered) {
    auto* files = FileUtils::getInstance();
    std::map<int, const SaveListRecovery::Entry*, std::greater<>> entries;
    for (const auto& entry : recovered.entries) {
        entries.emplace(entry.identifier, &entry);
    }
    int largest = std::max(recovered.lastid, 0);
    for (const std::string& name : files->listFiles(folderFullPath())) {
        if (const auto identifier = SaveFileNames::programIdentifier(name)) {
            entries.emplace(*identifier, nullptr);
            largest = std::max(largest, *identifier);
        } else if (const auto pictured = SaveFileNames::imageIdentifier(name)) {
            largest = std::max(largest, *pictured);
        }
    }
    // Identifiers grow with creation, so the newest program has the largest.
    for (const auto& [identifier, entry] : entries) {
        const std::string stamp = fileTimeStamp(identifier);
        // A text too long to be written back would damage the list again.
        const std::string modify =
            entry && entry->modify && entry->modify->size() <= kMaxTitleBytes ? *entry->modify : stamp;
        const bool titled = entry && entry->title && entry->title->size() <= kMaxTitleBytes;
        entryForFile(identifier, titled ? *entry->title : modify, modify);
        largest = std::max(largest, identifier);
    }
    lastid_ = largest;
}

bool SaveDataManager::setAside(const std::string& fullPath, std::string* keptAs, int* error) const {
    auto* files = FileUtils::getInstance();
    if (!files->isFileExist(fullPath)) {
        return true;
    }
    if (access_ == Access::ReadOnly) {
        if (error) {
            *error = EROFS;
        }
        return false;
    }
    const std::tm now = clock_();
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &now);
    const std::string base = fullPath + ".damaged-" + stamp;
    std::string target = base;
    for (int attempt = 2; files->isFileExist(target) || files->isDirectoryExist(target); ++attempt) {
        target = base + "-" + std::to_string(attempt);
    }
    if (!files->renameFile(fullPath, target, error)) {
        return false;
    }
    if (keptAs) {
        *keptAs = target;
    }
    return true;
}

bool SaveDataManager::writeList() {
    lastFailure_.reset();
    if (access_ == Access::ReadOnly) {
        return failed(listFullPath(), "the store was opened only to be read");
    }
    if (listUnreadable_) {
        return failed(listFullPath(),
                      "it could not be read (" + listUnreadableReason_ + ") and is not written over");
    }
    // The list never names a state the program files have not reached, and a
    // removal never races a queued write that would bring a file back.
    finishWrites();
    if (damagedListInPlace_) {
        int error = 0;
        damagedListInPlace_ = !setAside(listFullPath(), nullptr, &error);
        if (damagedListInPlace_) {
            return failed(listFullPath(), std::string("it is damaged and could not be set aside (") +
                                              std::strerror(error) + ")");
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
    int error = 0;
    if (!files->writeValueMapToFile(list, listFullPath(), &error)) {
        return failed(listFullPath(), std::strerror(error));
    }
    return true;
}

int SaveDataManager::unusedIdentifier() const {
    // A crash between writing a new program file and writing the list can
    // leave files that the list does not know; never write over them.
    auto* files = FileUtils::getInstance();
    std::set<int> listed;
    for (const SaveData* data : datas_) {
        listed.insert(data->identifier);
    }
    const auto isFree = [&](int candidate) {
        // A folder of that name (someone's, or a broken copy) takes the number too.
        const auto taken = [files](const std::string& path) {
            return files->isFileExist(path) || files->isDirectoryExist(path);
        };
        return listed.count(candidate) == 0 && !taken(rootPath_ + programPathFor(candidate)) &&
               !taken(rootPath_ + imagePathFor(candidate));
    };
    for (int candidate = std::max(lastid_, 0); candidate < INT_MAX;) {
        if (isFree(++candidate)) {
            return candidate;
        }
    }
    // Nothing is left above: numbers are given again rather than overflow.
    for (int candidate = 1; candidate < INT_MAX; ++candidate) {
        if (isFree(candidate)) {
            return candidate;
        }
    }
    return 0;
}

bool SaveDataManager::copyFile(const std::string& from, const std::string& to) const {
    auto read = FileUtils::getInstance()->readFileUpTo(from, engine::PlistGuard::Limits().maxBytes);
    return read.status == FileUtils::FileRead::Status::Read &&
           FileUtils::getInstance()->writeStringToFile(read.bytes, to);
}

SaveDataManager::SaveResult SaveDataManager::saveProgram(SaveData* data, const ValueVector& program) {
    lastFailure_.reset();
    if (!data) {
        return SaveResult::Failed;
    }
    if (access_ == Access::ReadOnly) {
        failed(getProgramFullPath(data), "the store was opened only to be read");
        return SaveResult::Failed;
    }
    if (const auto kept = protectedPrograms_.find(data->identifier); kept != protectedPrograms_.end()) {
        failed(getProgramFullPath(data),
               "it could not be read (" + kept->second + ") and is not written over");
        return SaveResult::Failed;
    }
    const std::string stamp = formatTimeStamp(clock_());
    const bool listed = datas_.contains(data);
    if (!listed) {
        data->title = stamp;
        data->identifier = unusedIdentifier();
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
    if (listed && writer_) {
        // Posted, so the handler runs on the main thread and may be changed
        // there while the write is in progress.
        std::weak_ptr<std::function<void(bool)>> handler = outcomeHandler_;
        writer_->write(
            programFile, engine::PlistCodec::toXml(program), [post = post_, handler, programFile](int error) {
                const bool written = error == 0;
                if (!written) {
                    engine::Log::error("store", programFile + ": not written: " + std::strerror(error));
                }
                post([handler, written] {
                    const auto told = handler.lock();
                    if (told && *told) {
                        (*told)(written);
                    }
                });
            });
        return SaveResult::Queued;
    }
    int error = 0;
    const bool written = data->identifier > 0 && files->writeValueVectorToFile(program, programFile, &error);
    if (!written) {
        failed(programFile,
               data->identifier > 0 ? std::strerror(error) : "no number is left for a new program");
    }
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

void SaveDataManager::writeInBackground(PostToMainThread post) {
    if (post) {
        post_ = std::move(post);
        if (!writer_) {
            writer_ = std::make_unique<SaveWriter>();
        }
        return;
    }
    writer_.reset(); // writes what is queued first
    post_ = nullptr;
}

void SaveDataManager::setWriteOutcomeHandler(std::function<void(bool written)> handler) {
    *outcomeHandler_ = std::move(handler);
}

bool SaveDataManager::writesPending() const {
    return writer_ && !writer_->idle();
}

void SaveDataManager::finishWrites() {
    if (writer_) {
        writer_->drain();
    }
}

bool SaveDataManager::renameData(SaveData* data, const std::string& title) {
    lastFailure_.reset();
    if (!data || !datas_.contains(data)) {
        return false;
    }
    if (title.size() > kMaxTitleBytes) {
        return failed(listFullPath(), "a title of " + std::to_string(title.size()) +
                                          " bytes is longer than " + std::to_string(kMaxTitleBytes));
    }
    // XML holds no control characters but tab and line breaks; a NUL would
    // also cut the title short.
    const auto control = std::find_if(title.begin(), title.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return (byte < 0x20 && c != '\t' && c != '\n' && c != '\r') || byte == 0x7F;
    });
    if (control != title.end()) {
        return failed(listFullPath(), "a title holding control characters is refused");
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
        for (const std::string& file :
             {rootPath_ + imagePathFor(data->identifier), rootPath_ + programPathFor(data->identifier)}) {
            errno = 0;
            if (!files->removeFile(file) && errno != 0 && errno != ENOENT) {
                // The list no longer names it: a program file left behind is listed again at the next start.
                engine::Log::warning("store", file + ": not removed: " + std::strerror(errno));
            }
        }
    }
    return true;
}

ValueVector SaveDataManager::loadProgram(SaveData* data, std::optional<Problem>* problem) {
    finishWrites(); // the newest state, not the one a queued write is about to replace
    if (!data || data->identifier <= 0) {
        return {};
    }
    const std::string file = rootPath_ + programPathFor(data->identifier);
    FileUtils::PlistRead read = FileUtils::getInstance()->readPropertyListFile(file);
    using Status = FileUtils::PlistRead::Status;
    if (read.status == Status::Missing ||
        (read.status == Status::Read && read.root->getType() == Value::Type::VECTOR)) {
        protectedPrograms_.erase(data->identifier);
        return read.root ? std::move(read.root->asValueVector()) : ValueVector();
    }
    Problem found{Problem::Kind::Unreadable, relative(file), std::strerror(read.error)};
    if (read.status != Status::Unreadable) {
        // Moved aside before the editor's first save could replace it with an
        // empty field.
        std::string keptAs;
        int error = 0;
        if (setAside(file, &keptAs, &error) && !keptAs.empty()) {
            found = {Problem::Kind::SetAside, relative(file), relative(keptAs)};
        } else {
            // Damaged and stuck in place (a read-only store): kept from being overwritten.
            found.detail = std::strerror(error ? error : EROFS);
        }
    }
    if (found.kind == Problem::Kind::Unreadable) {
        protectedPrograms_[data->identifier] = found.detail;
    }
    logProblem(found);
    if (problem) {
        *problem = std::move(found);
    }
    return {};
}

std::string SaveDataManager::getProgramFullPath(const SaveData* data) const {
    return data && data->identifier > 0 ? rootPath_ + programPathFor(data->identifier) : std::string();
}

std::string SaveDataManager::getImageFullPath(SaveData* data) const {
    return data && data->identifier > 0 ? rootPath_ + imagePathFor(data->identifier) : std::string();
}
