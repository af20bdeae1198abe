// The store's list file: whatever it holds, opening the store keeps or sets
// the file aside and never crashes.
#include "engine/base/AutoreleasePool.h"
#include "engine/base/FileUtils.h"
#include "store/SaveDataManager.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

const std::string& folder() {
    static const std::string path = [] {
        char pattern[] = "/tmp/pavlune-fuzz-store-XXXXXX";
        if (!::mkdtemp(pattern)) {
            std::abort();
        }
        return std::string(pattern) + "/";
    }();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::error_code ignored;
    std::filesystem::remove_all(folder() + "savedatas", ignored);
    std::filesystem::create_directories(folder() + "savedatas");
    std::ofstream(folder() + "savedatas/list.plist", std::ios::binary)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    engine::FileUtils::getInstance()->setWritablePath(folder());
    SaveDataManager* store = SaveDataManager::create();
    for (SaveData* entry : store->getDatas()) {
        store->loadProgram(entry);
    }
    engine::AutoreleasePool::current().clear();
    return 0;
}
