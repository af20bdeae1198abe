// FontResolver::match in the browser, which has no font service: every
// pattern is answered with the Japanese fonts that the page preloads under
// fonts/ (Noto Sans CJK JP cut down to the characters the program and its
// users write), bold where the pattern asks for weight.
#include "engine/base/FileUtils.h"
#include "engine/platform/FontResolver.h"

namespace engine {

namespace {
constexpr const char* kRegular = "fonts/NotoSansJP-Regular.otf";
constexpr const char* kBold = "fonts/NotoSansJP-Bold.otf";
} // namespace

FontFace FontResolver::match(const std::string& pattern) {
    const bool bold = pattern.find("weight=bold") != std::string::npos;
    FileUtils* files = FileUtils::getInstance();
    std::string path = files->fullPathForFilename(bold ? kBold : kRegular);
    if (path.empty()) {
        path = files->fullPathForFilename(kRegular);
    }
    return FontFace{path, 0};
}

} // namespace engine
