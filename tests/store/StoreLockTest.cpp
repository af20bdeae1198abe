// One writer per store within one process: the lock belongs to its holder,
// not to the process, so these hold on every platform (the two-process
// cases are in StoreProcessTest).
#include "store/StoreLock.h"

#include "StoreFixture.h"
#include "store/AppSettings.h"
#include "store/SaveData.h"

namespace {

using State = StoreLock::State;

class StoreLockTest : public StoreFixture {
protected:
    std::string folder() const { return root.string() + "/"; }
};

// Catches a lock that is never taken (a shared or missing flock, LockFileEx
// without the exclusive flag) and one that outlives its holder (a destructor
// that forgets to close).
TEST_F(StoreLockTest, ASecondHolderIsRefusedUntilTheFirstLetsGo) {
    StoreLock::Attempt first = StoreLock::tryAcquire(folder());
    ASSERT_EQ(first.state, State::Held) << first.reason;
    EXPECT_EQ(StoreLock::tryAcquire(folder()).state, State::HeldElsewhere);
    first.lock.reset();
    const StoreLock::Attempt third = StoreLock::tryAcquire(folder());
    EXPECT_EQ(third.state, State::Held) << third.reason;
}

// Catches a lock file that cannot be made being taken for another copy: the
// store would then refuse every write with the wrong reason.
TEST_F(StoreLockTest, AFolderWithoutRoomForTheLockFileIsNotHeldElsewhere) {
    EXPECT_EQ(StoreLock::tryAcquire(folder() + "missing/").state, State::Unavailable);
}

// Catches an exclusive store that ignores the lock, and a second copy's
// settings written over the first copy's.
TEST_F(StoreLockTest, AnExclusiveStoreOnlyReadsWhileAnotherHolderHasTheFolder) {
    SaveData* kept = SaveData::create();
    ASSERT_EQ(openStore()->saveProgram(kept, engine::ValueVector{engine::Value(1)}),
              SaveDataManager::SaveResult::Added);
    const StoreLock::Attempt other = StoreLock::tryAcquire(folder());
    ASSERT_EQ(other.state, State::Held);
    const std::string listBefore = readBytes(root / "savedatas/list.plist");

    SaveDataManager* second = SaveDataManager::create(nullptr, SaveDataManager::Access::Exclusive);
    EXPECT_TRUE(second->isReadOnly());
    const std::vector<SaveDataManager::Problem> problems = second->takeListProblems();
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].kind, SaveDataManager::Problem::Kind::HeldElsewhere);
    ASSERT_EQ(second->getDatas().size(), 1u) << "the list is still shown";
    EXPECT_TRUE(second->isWriteProtected(second->getDatas().front())) << "so the editor draws no picture";
    EXPECT_EQ(second->saveProgram(SaveData::create(), {}), SaveDataManager::SaveResult::Failed);
    EXPECT_FALSE(second->renameData(second->getDatas().front(), "renamed"));
    AppSettings::getInstance()->reload();
    EXPECT_FALSE(AppSettings::getInstance()->setDialect((AppSettings::getInstance()->dialect() + 1) % 3));
    EXPECT_EQ(readBytes(root / "savedatas/list.plist"), listBefore);
    EXPECT_FALSE(fs::exists(root / AppSettings::kFileName));
    EXPECT_FALSE(fs::exists(root / "savedatas/2.plist"));
}

} // namespace
