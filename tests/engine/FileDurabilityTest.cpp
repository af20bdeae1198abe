// A write must reach the disk before it replaces the old file: fsync is
// wrapped for this binary (the engine links statically, so its calls come
// here first) and each call notes which file it flushed and when.
#include "engine/base/FileUtils.h"

#include <dlfcn.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

struct Flush {
    ino_t inode;
    off_t size;
    ino_t targetInode; // what the target path named at that moment, 0 if nothing
};

std::vector<Flush> flushes;
std::string watchedTarget;

} // namespace

extern "C" int fsync(int fd) {
    using Real = int (*)(int);
    static const Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "fsync"));
    struct stat file {};
    if (!watchedTarget.empty() && ::fstat(fd, &file) == 0 && S_ISREG(file.st_mode)) {
        struct stat target {};
        const ino_t named = ::stat(watchedTarget.c_str(), &target) == 0 ? target.st_ino : 0;
        flushes.push_back({file.st_ino, file.st_size, named});
    }
    return real(fd);
}

namespace {

// Catches the flush of the new contents dropped (or moved after the rename):
// a crash could then leave an empty file where the old one was.
TEST(FileDurabilityTest, TheNewContentsAreFlushedBeforeTheyReplaceTheOldFile) {
    char pattern[] = "/tmp/pavlune-durable-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::filesystem::path folder = pattern;
    const std::string target = (folder / "program.plist").string();
    engine::FileUtils* files = engine::FileUtils::getInstance();
    ASSERT_TRUE(files->writeStringToFile("old", target));
    struct stat old {};
    ASSERT_EQ(::stat(target.c_str(), &old), 0);

    watchedTarget = target;
    flushes.clear();
    ASSERT_TRUE(files->writeStringToFile("the new contents", target));
    watchedTarget.clear();

    struct stat now {};
    ASSERT_EQ(::stat(target.c_str(), &now), 0);
    bool flushedFirst = false;
    for (const Flush& flush : flushes) {
        flushedFirst |= flush.inode == now.st_ino && flush.size == 16 && flush.targetInode == old.st_ino;
    }
    EXPECT_TRUE(flushedFirst) << flushes.size() << " flushes of regular files";
    std::filesystem::remove_all(folder);
}

} // namespace
