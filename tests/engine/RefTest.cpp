#include "engine/base/Ref.h"

#include "engine/base/AutoreleasePool.h"
#include "engine/base/RefPtr.h"

#include <gtest/gtest.h>

namespace {

class Probe : public engine::Ref {
public:
    explicit Probe(int* deaths) : deaths_(deaths) {}
    ~Probe() override { ++*deaths_; }

private:
    int* deaths_;
};

TEST(RefTest, ReleaseDeletesAtZeroAndNotBefore) {
    int deaths = 0;
    auto* probe = new Probe(&deaths);
    probe->retain();
    EXPECT_EQ(probe->getReferenceCount(), 2u);
    probe->release();
    EXPECT_EQ(deaths, 0);
    probe->release();
    EXPECT_EQ(deaths, 1);
}

TEST(RefTest, AutoreleasedObjectLivesUntilPoolDrainsUnlessRetained) {
    int deaths = 0;
    auto* dropped = new Probe(&deaths);
    auto* kept = new Probe(&deaths);
    dropped->autorelease();
    kept->autorelease();
    kept->retain();
    EXPECT_TRUE(engine::AutoreleasePool::current().contains(dropped));
    engine::AutoreleasePool::current().clear();
    EXPECT_EQ(deaths, 1);
    EXPECT_EQ(kept->getReferenceCount(), 1u);
    EXPECT_EQ(engine::AutoreleasePool::current().size(), 0u);
    kept->release();
    EXPECT_EQ(deaths, 2);
}

// Catches a reset that releases the old object before retaining the new one
// (self-assignment would free it), a move that leaves both holders owning,
// and a destructor that forgets its release.
TEST(RefTest, RefPtrHoldsOneReferenceThroughCopiesMovesAndSelfAssignment) {
    int deaths = 0;
    auto* probe = new Probe(&deaths);
    {
        engine::RefPtr<Probe> held(probe);
        probe->release(); // the holder is now the only owner
        held = probe;
        EXPECT_EQ(probe->getReferenceCount(), 1u);
        engine::RefPtr<Probe> copy = held;
        EXPECT_EQ(probe->getReferenceCount(), 2u);
        engine::RefPtr<Probe> moved = std::move(copy);
        EXPECT_EQ(probe->getReferenceCount(), 2u);
        EXPECT_EQ(copy.get(), nullptr);
        held.reset();
        EXPECT_EQ(deaths, 0);
    }
    EXPECT_EQ(deaths, 1);
}

} // namespace
