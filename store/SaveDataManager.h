#pragma once

#include "engine/base/Ref.h"
#include "engine/base/Value.h"
#include "engine/base/Vector.h"
#include "store/SaveData.h"

#include <ctime>
#include <functional>
#include <string>

// The store of saved programs, below the writable path W:
//   W/savedatas/list.plist   the list: {"lastid": int, "datas": [entry...]},
//                            each entry {"identifer", "title", "path",
//                            "imagepath", "modify"}, newest first
//   W/savedatas/<n>.plist    the program of entry n (an array of cards)
//   W/savedatas/img<n>.png   the thumbnail of entry n
// Identifiers are handed out in increasing order and never reused. Every file
// is written atomically, so an interrupted save leaves the previous version.
//
// The list file is never overwritten when it cannot be read: a damaged list is
// renamed aside (list.plist.damaged-<time>) and the list is rebuilt from the
// program files present and what the damaged file still says, so that no program disappears from the list. The
// same rebuild runs when the list is missing but program files exist.
//
// An identifier beyond the integer range makes the list damaged too. Rebuilding
// keeps the identifier, title and time stamp of every entry that can still be
// read from the damaged file; the others are named by their file times.
//
// Main thread only.
class SaveListRecovery;

class SaveDataManager : public engine::Ref {
public:
    // The local time at which a save happens; tests substitute a fixed one.
    using Clock = std::function<std::tm()>;

    // The process-wide store on the writable path, loaded on the first call.
    static SaveDataManager* getInstance();

    // A separate store on the current writable path (not the shared instance),
    // loaded at once; autoreleased. For tests and tools that need a fresh
    // store, or to read what another instance wrote.
    static SaveDataManager* create(Clock clock = nullptr);

    // "2026/12/5 9:3:7": year/month/day hour:minute:second, no leading zeros.
    static std::string formatTimeStamp(const std::tm& localTime);

    ~SaveDataManager() override;

    // Loads the list (creating or rebuilding it as described above); returns true.
    virtual bool init();

    // The entries, newest first.
    const engine::Vector<SaveData*>& getDatas() const { return datas_; }
    // The highest identifier handed out so far.
    int getLastId() const { return lastid_; }
    // W, the folder all paths of the entries are relative to.
    const std::string& getRootPath() const { return rootPath_; }

    enum class SaveResult {
        Added,   // a new entry, listed and written
        Updated, // a listed entry's program file rewritten
        Failed,  // nothing written; a new record is not listed
    };
    // Writes the program file of `data`. A record that is not in the list yet
    // becomes a new entry at the front, with the next identifier, its paths and
    // the current time stamp as title, once both its program file and the list
    // are written. If either write fails, the record is taken back out of the
    // list and emptied, so that the identifier is not left to a second record
    // and the next save starts over as new.
    SaveResult saveProgram(SaveData* data, engine::ValueVector program);
    // Writes the list file from the entries; false if it could not be written.
    bool writeList();
    // Gives a listed entry a new title and writes the list. If the list cannot
    // be written the old title stays and the result is false.
    bool renameData(SaveData* data, const std::string& title);
    // Takes the entry out of the list, writes the list and then deletes the
    // entry's program file and thumbnail. If the list cannot be written,
    // nothing changes (entry and files stay) and the result is false. Its
    // identifier is not given out again.
    bool removeData(SaveData* data);
    // The entry's program; empty when `data` is null, was never saved or the
    // file is missing or unreadable. The files of entry n are always
    // savedatas/n.plist and savedatas/imgn.png, whatever the list names. A
    // file that is there but is no readable array is renamed aside
    // (n.plist.damaged-<time>), as a damaged list is.
    engine::ValueVector loadProgram(SaveData* data) const;
    // W + the entry's thumbnail path; empty for a record that was never
    // saved (it has no thumbnail name yet). The editor draws the picture.
    std::string getImageFullPath(SaveData* data) const;
    // W + the entry's program file; empty for a record that was never saved.
    std::string getProgramFullPath(const SaveData* data) const;

    void setClock(Clock clock);

protected:
    SaveDataManager() = default;

private:
    static std::tm currentLocalTime();

    void loadList(const engine::ValueMap& list);
    void rebuildFromFiles(const SaveListRecovery& recovered);
    bool setAsideDamagedList();
    // Renames a damaged file to <file>.damaged-<time>; true when it is gone
    // from its place (or was never there).
    bool setAside(const std::string& fullPath) const;
    int unusedIdentifierAfter(int identifier) const;
    std::string listFullPath() const;
    std::string folderFullPath() const;

    engine::Vector<SaveData*> datas_;
    int lastid_ = 0;
    std::string rootPath_;
    Clock clock_;
    // Set while a damaged list could not be moved aside; the list is then not
    // written, so the damaged file is never replaced.
    bool damagedListInPlace_ = false;
};
