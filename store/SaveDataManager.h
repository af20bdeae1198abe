#pragma once

#include "engine/base/Ref.h"
#include "engine/base/Value.h"
#include "engine/base/Vector.h"
#include "store/SaveData.h"
#include "store/SaveWriter.h"

#include <cstddef>
#include <ctime>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

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
// program files present and what the damaged file still says, so that no program disappears from the list.
// The same rebuild runs when the list is missing but program files exist.
//
// An identifier beyond the integer range makes the list damaged too. Rebuilding
// keeps the identifier, title and time stamp of every entry that can still be
// read from the damaged file; the others are named by their file times. A file
// beyond the plist reader's limits (size, nesting, values) is damaged as well,
// and its readable entries are kept the same way (a title or time stamp
// longer than kMaxTitleBytes is replaced by the file's time).
//
// A sound list is reconciled with the folder at start: a program file that no
// entry names (a crash between writing a new program and the list) is listed
// again as a new program, and a second entry with an identifier that another
// already has gets a number and files of its own. Temporary files left by
// interrupted writes are removed.
//
// A file that exists but cannot be opened or read (permissions) is not
// damaged: it is left as it is, and the store never writes over it. Such
// files, and damaged files set aside, are reported as problems for the
// screens to tell. Every problem and every failed write is also logged
// (component "store") with the file's path and the system's reason.
//
// Main thread only.
class SaveListRecovery;

class SaveDataManager : public engine::Ref {
public:
    // The local time at which a save happens; tests substitute a fixed one.
    using Clock = std::function<std::tm()>;

    // The process-wide store on the writable path, loaded on the first call;
    // Exclusive, so a second copy of the editor only reads.
    static SaveDataManager* getInstance();

    // ReadOnly never changes the folder: nothing is created, set aside,
    // removed or written, and every write reports failure (for tools that
    // only look). Exclusive is ReadWrite while this process holds the store's
    // lock (StoreLock::forProcess) and ReadOnly when another copy holds it.
    enum class Access { ReadWrite, ReadOnly, Exclusive };

    // A separate store on the current writable path (not the shared instance),
    // loaded at once; autoreleased. For tests and tools that need a fresh
    // store, or to read what another instance wrote.
    static SaveDataManager* create(Clock clock = nullptr, Access access = Access::ReadWrite);

    // A file of the store that could not be used.
    struct Problem {
        enum class Kind {
            Unreadable,    // there but not readable; left in place, never overwritten
            SetAside,      // damaged; renamed aside
            NotWritten,    // a write, rename or removal that the store asked for failed
            HeldElsewhere, // another copy holds the store (the lock file): opened read-only
        };
        Kind kind = Kind::Unreadable;
        std::string file; // relative to W, such as "savedatas/list.plist"
        // Unreadable, NotWritten: the system's reason; SetAside: the name it was kept as, relative to W
        std::string detail;
    };

    // "2026/12/5 9:3:7": year/month/day hour:minute:second, no leading zeros.
    static std::string formatTimeStamp(const std::tm& localTime);

    ~SaveDataManager() override;

    // Loads the list (creating or rebuilding it as described above); returns true.
    virtual bool init();

    // The entries, newest first.
    const engine::Vector<SaveData*>& getDatas() const { return datas_; }
    // The highest identifier handed out so far.
    int getLastId() const { return lastid_; }
    // What went wrong with the list while loading; each problem is given out once.
    std::vector<Problem> takeListProblems();
    // W, the folder all paths of the entries are relative to.
    const std::string& getRootPath() const { return rootPath_; }

    enum class SaveResult {
        Added,   // a new entry, listed and written
        Updated, // a listed entry's program file rewritten
        Queued,  // a listed entry's program handed to the background writer
        Failed,  // nothing written; a new record is not listed
    };
    // Writes the program file of `data`. A record that is not in the list yet
    // becomes a new entry at the front, with the next identifier, its paths and
    // the current time stamp as title, once both its program file and the list
    // are written. If either write fails, the record is taken back out of the
    // list and emptied, so that the identifier is not left to a second record
    // and the next save starts over as new.
    SaveResult saveProgram(SaveData* data, const engine::ValueVector& program);
    // Why the last saveProgram, writeList, renameData or removeData that
    // failed did so (a NotWritten problem: the file and the system's reason);
    // empty after one that succeeded. A background write's failure is logged.
    const std::optional<Problem>& getLastFailure() const { return lastFailure_; }

    // Runs a closure on the main thread (the frame loop's scheduler).
    using PostToMainThread = std::function<void(std::function<void()>)>;
    // From now on a listed entry's program file is written on a worker
    // (SaveWriter), so saveProgram returns without waiting for the disk; the outcome reaches the handler set
    // below, on the main thread through `post` (saveProgram answers Queued). A new entry's first save still
    // writes at once: its number is only kept once its file and the list are on disk. An empty `post` goes
    // back to writing at once, after the queue has drained.
    void writeInBackground(PostToMainThread post);
    // Hears every background write's outcome (true: on disk), on the main thread.
    void setWriteOutcomeHandler(std::function<void(bool written)> handler);
    // True while a background write is queued or in progress.
    bool writesPending() const;
    // Waits until every queued write is on disk (or has failed).
    void finishWrites();
    // Writes the list file from the entries; false if it could not be written.
    bool writeList();
    // A longer title is refused: the list must stay within what its reader
    // accepts (a title beyond it would make the whole list damaged).
    static constexpr std::size_t kMaxTitleBytes = std::size_t{64} * 1024;
    // Gives a listed entry a new title and writes the list. If the list cannot
    // be written, or the title is too long or holds a control character
    // other than tab and line breaks (XML has no place for them), the old
    // title stays and the result is false.
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
    // (n.plist.damaged-<time>), as a damaged list is. A file that cannot be
    // read is left alone, and saving that entry fails until it reads again.
    // `problem`, when given, is set when the program could not be read.
    engine::ValueVector loadProgram(SaveData* data, std::optional<Problem>* problem = nullptr);
    // W + the entry's thumbnail path; empty for a record that was never
    // saved (it has no thumbnail name yet). The editor draws the picture.
    std::string getImageFullPath(SaveData* data) const;
    // Whether the entry's files are kept from being written: its program file
    // is there but could not be read (nor, if damaged, set aside). Its picture
    // must not be replaced by one of an empty field either.
    // A read-only store protects every entry.
    bool isWriteProtected(const SaveData* data) const {
        return data && (isReadOnly() || protectedPrograms_.count(data->identifier) != 0);
    }
    // Nothing is written: opened ReadOnly, or Exclusive while another copy
    // holds the store.
    bool isReadOnly() const { return access_ == Access::ReadOnly; }
    // W + the entry's program file; empty for a record that was never saved.
    std::string getProgramFullPath(const SaveData* data) const;

    void setClock(Clock clock);

protected:
    SaveDataManager() = default;

private:
    static std::tm currentLocalTime();

    void loadList(const engine::ValueMap& list);
    // Gives a later entry that repeats an identifier a number of its own;
    // true when an entry changed.
    bool separateSharedIdentifiers();
    // Lists program files that no entry names; true when one was added.
    bool listUnlistedPrograms();
    void rebuildFromFiles(const SaveListRecovery& recovered);
    void removeLeftoverTemporaries() const;
    SaveData* entryForFile(int identifier, const std::string& title, const std::string& modify);
    std::string fileTimeStamp(int identifier) const;
    // Renames a damaged file to <file>.damaged-<time>; true when it is gone
    // from its place (or was never there). `keptAs` gets the new full path,
    // `error` the system's error number when it stays.
    bool setAside(const std::string& fullPath, std::string* keptAs = nullptr, int* error = nullptr) const;
    // A number that no entry and no file uses: above the last one handed out
    // while there is room below INT_MAX, else the lowest free one.
    int unusedIdentifier() const;
    bool copyFile(const std::string& from, const std::string& to) const;
    // Remembers and logs a failed write of `fullPath`; returns false.
    bool failed(const std::string& fullPath, const std::string& reason);
    // Logs a problem found while reading.
    void logProblem(const Problem& problem) const;
    std::string relative(const std::string& fullPath) const;
    std::string listFullPath() const;
    std::string folderFullPath() const;

    engine::Vector<SaveData*> datas_;
    int lastid_ = 0;
    std::string rootPath_;
    Clock clock_;
    Access access_ = Access::ReadWrite;
    // What the creator asked for; access_ is what init() found it to be.
    Access requested_ = Access::ReadWrite;
    // Set while a damaged list could not be moved aside; the list is then not
    // written, so the damaged file is never replaced.
    bool damagedListInPlace_ = false;
    PostToMainThread post_;
    // Shared with the closures that a finished write posts: a manager that is
    // gone by the time one runs is simply not told.
    std::shared_ptr<std::function<void(bool)>> outcomeHandler_ =
        std::make_shared<std::function<void(bool)>>();
    // Last, so that it is destroyed (and drained) first.
    std::unique_ptr<SaveWriter> writer_;
    // Set when the list file could not be read: it is never written over.
    bool listUnreadable_ = false;
    std::vector<Problem> listProblems_;
    // Entries whose program file is there but could not be read or set aside,
    // with the reason.
    std::map<int, std::string> protectedPrograms_;
    std::string listUnreadableReason_;
    std::optional<Problem> lastFailure_;
};
