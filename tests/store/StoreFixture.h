#pragma once

// A store in a private folder, and the hand-written list files that the store
// tests feed it.
#include "engine/base/AutoreleasePool.h"
#include "engine/base/FileUtils.h"
#include "store/SaveDataManager.h"

#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

inline std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

inline void writeBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// One entry of a list file as XML; `extra` goes inside its dict.
inline std::string entryXml(const std::string& identifier, const std::string& title,
                            const std::string& extra = "") {
    return "<dict><key>identifer</key><integer>" + identifier + "</integer><key>title</key><string>" + title +
           "</string><key>modify</key><string>2026/1/2 3:4:5</string>" + extra + "</dict>";
}

inline std::string listXml(const std::string& lastid, const std::string& entries) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist "
           "version=\"1.0\"><dict><key>lastid</key><integer>" +
           lastid + "</integer><key>datas</key><array>" + entries + "</array></dict></plist>\n";
}

class StoreFixture : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/pavlune-store-safety-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        engine::FileUtils::getInstance()->setWritablePath(root.string());
        fs::create_directories(root / "savedatas");
        setenv("TZ", "UTC", 1);
        tzset();
    }

    void TearDown() override {
        for (SaveDataManager* store : stores) {
            store->release();
        }
        engine::AutoreleasePool::current().clear();
        engine::FileUtils::getInstance()->setWritablePath("");
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }

    SaveDataManager* openStore() {
        SaveDataManager* store = SaveDataManager::create();
        store->retain();
        stores.push_back(store);
        return store;
    }

    void writeProgram(int identifier, int cards, std::time_t modified = 1764925387) {
        engine::ValueVector program(static_cast<std::size_t>(cards),
                                    engine::Value(engine::ValueMap{{"tab", engine::Value(0)}}));
        const fs::path file = root / ("savedatas/" + std::to_string(identifier) + ".plist");
        ASSERT_TRUE(engine::FileUtils::getInstance()->writeValueVectorToFile(program, file.string()));
        const timespec times[2] = {{modified, 0}, {modified, 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
    }

    static std::vector<std::pair<int, std::string>> entriesOf(const SaveDataManager* store) {
        std::vector<std::pair<int, std::string>> entries;
        for (const SaveData* data : store->getDatas()) {
            entries.emplace_back(data->identifier, data->title);
        }
        return entries;
    }

    bool hasDamagedCopy() const {
        for (const auto& entry : fs::directory_iterator(root / "savedatas")) {
            if (entry.path().filename().string().rfind("list.plist.damaged-", 0) == 0) {
                return true;
            }
        }
        return false;
    }

    fs::path root;
    std::vector<SaveDataManager*> stores;
};
