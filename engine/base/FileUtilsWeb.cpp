// FileUtils in the browser: the folders of a page, and the hand-over of
// written files to the browser's lasting storage. The file calls themselves
// are the POSIX ones (FileUtilsPosix.cpp) on Emscripten's file system.
#include "engine/base/FileUtils.h"

#include <emscripten.h>

namespace engine {

// The page mounts its IndexedDB-backed folder here before the program starts.
std::string FileUtils::defaultWritablePath() {
    return "/home/web_user/PavluneApps/";
}

// The resources are preloaded at the root of the virtual file system.
std::vector<std::string> FileUtils::defaultSearchPaths() {
    return {"/"};
}

void FileUtils::filesWritten() {
    // The page batches these into one copy after the frame's work; a page
    // without the hook (the unit tests under node) keeps the files in memory.
    emscripten_run_script("if (typeof Module !== 'undefined' && Module.pavluneFilesChanged) "
                          "Module.pavluneFilesChanged();");
}

} // namespace engine
