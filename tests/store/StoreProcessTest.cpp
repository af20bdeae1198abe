// Two copies of the editor on one store, as separate processes: the second
// only reads and writes nothing at all; once the first has ended, however it
// ended, the next copy writes again. Each child process opens its own
// exclusive store, as the editor does at start.
#include "StoreFixture.h"
#include "store/AppSettings.h"
#include "store/SaveData.h"

#include <csignal>
#include <functional>
#include <map>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Every file and folder below `root`, with its bytes.
std::map<std::string, std::string> snapshot(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
        const std::string name = fs::relative(entry.path(), root).string();
        files[name] = entry.is_regular_file() ? readBytes(entry.path()) : std::string("<folder>");
    }
    return files;
}

// Runs `body` in a child process; its result is the child's exit status.
pid_t startChild(const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::_exit(body());
    }
    return pid;
}

int exitStatus(pid_t pid) {
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid) {
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

SaveDataManager* openExclusive() {
    return SaveDataManager::create(nullptr, SaveDataManager::Access::Exclusive);
}

class StoreProcessTest : public StoreFixture {};

// Catches a second copy that ignores the lock or writes anything while
// refused (the list, a program, a rename, a deletion, the settings), and a
// lock that outlives a killed holder (a pid file that only an orderly exit
// removes).
TEST_F(StoreProcessTest, TheSecondCopyWritesNothingAndTheThirdWritesAfterTheFirstIsKilled) {
    {
        SaveDataManager* setUp = SaveDataManager::create();
        ASSERT_EQ(setUp->saveProgram(SaveData::create(), engine::ValueVector{engine::Value(1)}),
                  SaveDataManager::SaveResult::Added);
    }
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    // The first copy: takes the store, says so, and stays until it is killed.
    const pid_t first = startChild([&] {
        ::close(ready[0]);
        const char answer = openExclusive()->isReadOnly() ? 'r' : 'w';
        if (::write(ready[1], &answer, 1) != 1) {
            return 2;
        }
        for (;;) {
            ::pause();
        }
    });
    ASSERT_GT(first, 0);
    ::close(ready[1]);
    char answer = 0;
    ASSERT_EQ(::read(ready[0], &answer, 1), 1);
    ::close(ready[0]);
    EXPECT_EQ(answer, 'w') << "the first copy writes";

    const auto before = snapshot(root);
    // The second copy: every way of writing is refused. Each failure is a bit
    // of the exit status.
    const pid_t second = startChild([] {
        SaveDataManager* store = openExclusive();
        int wrong = store->isReadOnly() ? 0 : 1;
        if (store->getDatas().size() != 1) {
            return wrong | 2;
        }
        SaveData* listed = store->getDatas().front();
        wrong |= store->saveProgram(listed, engine::ValueVector{engine::Value(2)}) !=
                         SaveDataManager::SaveResult::Failed
                     ? 4
                     : 0;
        wrong |= store->saveProgram(SaveData::create(), {}) != SaveDataManager::SaveResult::Failed ? 8 : 0;
        wrong |= store->renameData(listed, "renamed") ? 16 : 0;
        wrong |= store->removeData(listed) ? 32 : 0;
        wrong |= store->writeList() ? 64 : 0;
        AppSettings* settings = AppSettings::getInstance();
        wrong |= settings->setCardSet((settings->cardSet() + 1) % AppSettings::kChoiceCount) ? 128 : 0;
        return wrong;
    });
    ASSERT_GT(second, 0);
    EXPECT_EQ(exitStatus(second), 0);
    EXPECT_EQ(snapshot(root), before) << "the second copy changed the folder";

    ASSERT_EQ(::kill(first, SIGKILL), 0);
    EXPECT_EQ(exitStatus(first), 128 + SIGKILL);

    const pid_t third = startChild([] {
        SaveDataManager* store = openExclusive();
        if (store->isReadOnly()) {
            return 1;
        }
        return store->saveProgram(SaveData::create(), engine::ValueVector{engine::Value(3)}) ==
                       SaveDataManager::SaveResult::Added
                   ? 0
                   : 2;
    });
    ASSERT_GT(third, 0);
    EXPECT_EQ(exitStatus(third), 0);
    // Read back by a store that only looks.
    SaveDataManager* after = SaveDataManager::create(nullptr, SaveDataManager::Access::ReadOnly);
    ASSERT_EQ(after->getDatas().size(), 2u);
    EXPECT_EQ(after->loadProgram(after->getDatas().front()), (engine::ValueVector{engine::Value(3)}));
}

} // namespace
