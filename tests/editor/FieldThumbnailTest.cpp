#include "editor/FieldThumbnail.h"

#include "engine/2d/RenderTexture.h"
#include "engine/base/AutoreleasePool.h"
#include "engine/base/FileUtils.h"
#include "engine/platform/HeadlessDriver.h"
#include "engine/platform/Image.h"
#include "store/SaveDataManager.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

class SaveThumbnailTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/pavlune-thumbs-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        engine::FileUtils::getInstance()->setWritablePath(root.string());
        store = SaveDataManager::create();
        store->retain();
    }

    void TearDown() override {
        store->release();
        engine::AutoreleasePool::current().clear();
        engine::FileUtils::getInstance()->setWritablePath("");
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }

    engine::RenderTexture* filledTexture(float red, float green, float blue) {
        engine::RenderTexture* texture = engine::RenderTexture::create(285, 285);
        EXPECT_NE(texture, nullptr);
        if (texture) {
            texture->beginWithClear(red, green, blue, 1.0f);
            texture->end();
        }
        return texture;
    }

    engine::HeadlessDriver driver;
    fs::path root;
    SaveDataManager* store = nullptr;
};

TEST_F(SaveThumbnailTest, WritesTheEntrysPictureAndThenCallsDone) {
    SaveData* data = SaveData::create();
    store->saveProgram(data, {});
    std::vector<std::string> failures;
    const FieldThumbnail::Done done = [&](const std::string& failure) { failures.push_back(failure); };
    FieldThumbnail::write(store, data, filledTexture(1, 0, 0), done);
    EXPECT_TRUE(failures.empty()); // reported on the main thread's next frame
    driver.step();
    EXPECT_EQ(failures, std::vector<std::string>{""});

    engine::Image picture;
    ASSERT_TRUE(picture.initWithImageFile(store->getImageFullPath(data)));
    EXPECT_EQ(store->getImageFullPath(data), root.string() + "/savedatas/img1.png");
    EXPECT_GE(picture.getWidth(), 285);
    EXPECT_EQ(picture.getWidth(), picture.getHeight());
    const engine::Color4B centre = picture.getPixel(picture.getWidth() / 2, picture.getHeight() / 2);
    EXPECT_EQ(centre.r, 255);
    EXPECT_EQ(centre.g, 0);

    // A later thumbnail replaces the picture.
    FieldThumbnail::write(store, data, filledTexture(0, 0, 1), done);
    driver.step();
    EXPECT_EQ(failures, (std::vector<std::string>{"", ""}));
    ASSERT_TRUE(picture.initWithImageFile(store->getImageFullPath(data)));
    EXPECT_EQ(picture.getPixel(picture.getWidth() / 2, picture.getHeight() / 2).b, 255);
}

TEST_F(SaveThumbnailTest, ARecordWithoutAPictureNameWritesNothingButStillCallsDone) {
    SaveData* unsaved = SaveData::create();
    std::vector<std::string> failures;
    const FieldThumbnail::Done done = [&](const std::string& failure) { failures.push_back(failure); };
    FieldThumbnail::write(store, unsaved, filledTexture(1, 1, 1), done);
    FieldThumbnail::write(store, nullptr, filledTexture(1, 1, 1), done);
    driver.step();
    EXPECT_EQ(failures, (std::vector<std::string>{"", ""})) << "nothing to write is no failure";

    std::vector<std::string> written;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.is_regular_file()) {
            written.push_back(fs::relative(entry.path(), root).string());
        }
    }
    EXPECT_EQ(written, std::vector<std::string>{"savedatas/list.plist"});
}

} // namespace
