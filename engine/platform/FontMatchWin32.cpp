// FontResolver::match on Windows: the fontconfig-style patterns that the
// resolver asks for ("sans-serif:lang=ja", "monospace", "Noto Sans CJK
// JP:weight=bold", a family name) are answered with the fonts that Windows
// installs, in order of preference, and finally with a Japanese font shipped
// in the application's own fonts/ folder for systems without one.
#include "engine/base/FileUtils.h"
#include "engine/base/WideText.h"
#include "engine/platform/FontResolver.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <shlobj.h>
#include <vector>

namespace engine {

namespace {

struct Candidate {
    const char* file;
    int index;
};

// Yu Gothic, Meiryo and MS Gothic are the Japanese system fonts of Windows 10
// and 11 (older systems lack Yu Gothic).
const std::vector<Candidate> kJapanese = {
    {"YuGothM.ttc", 0}, {"YuGothR.ttc", 0}, {"meiryo.ttc", 0}, {"msgothic.ttc", 0}};
const std::vector<Candidate> kJapaneseBold = {{"YuGothB.ttc", 0}, {"meiryob.ttc", 0}, {"msgothic.ttc", 0}};
const std::vector<Candidate> kSans = {{"segoeui.ttf", 0}, {"arial.ttf", 0}, {"tahoma.ttf", 0}};
const std::vector<Candidate> kSansBold = {{"segoeuib.ttf", 0}, {"arialbd.ttf", 0}, {"tahomabd.ttf", 0}};
const std::vector<Candidate> kMonospace = {{"consola.ttf", 0}, {"cour.ttf", 0}, {"lucon.ttf", 0}};
const std::vector<Candidate> kSerif = {{"times.ttf", 0}, {"georgia.ttf", 0}};
// Shipped beside the executable (fonts-noto-cjk; its first face is Japanese).
constexpr const char* kShippedJapanese = "fonts/NotoSansCJK-Regular.ttc";

std::string lowercase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string systemFontFolder() {
    PWSTR folder = nullptr;
    std::wstring wide;
    if (SHGetKnownFolderPath(FOLDERID_Fonts, 0, nullptr, &folder) == S_OK && folder) {
        wide = folder;
    }
    CoTaskMemFree(folder);
    if (wide.empty()) {
        wchar_t windows[MAX_PATH] = {};
        const UINT length = GetWindowsDirectoryW(windows, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) {
            return {};
        }
        wide = std::wstring(windows) + L"\\Fonts";
    }
    std::string path = utf8FromWide(wide);
    std::replace(path.begin(), path.end(), '\\', '/');
    return path + "/";
}

// The candidate lists for one pattern, most wanted first.
std::vector<const std::vector<Candidate>*> listsFor(const std::string& pattern) {
    const std::string lower = lowercase(pattern);
    const std::string families = lower.substr(0, lower.find(':'));
    const bool bold = lower.find("weight=bold") != std::string::npos;
    const bool japanese =
        lower.find("lang=ja") != std::string::npos || families.find("cjk") != std::string::npos ||
        families.find("gothic") != std::string::npos || families.find("meiryo") != std::string::npos;
    if (japanese) {
        return {bold ? &kJapaneseBold : &kJapanese, &kJapanese};
    }
    if (families.find("mono") != std::string::npos || families.find("courier") != std::string::npos ||
        families.find("consolas") != std::string::npos) {
        return {&kMonospace};
    }
    if (families == "serif" || families.find("times") != std::string::npos) {
        return {&kSerif, &kSans};
    }
    return {bold ? &kSansBold : &kSans, &kSans};
}

} // namespace

FontFace FontResolver::match(const std::string& pattern) {
    static const std::string folder = systemFontFolder();
    const FileUtils* files = FileUtils::getInstance();
    for (const auto* list : listsFor(pattern)) {
        for (const auto& candidate : *list) {
            const std::string path = folder + candidate.file;
            if (!folder.empty() && files->isFileExist(path)) {
                return {path, candidate.index};
            }
        }
    }
    // A system without a Japanese font (or without any of the above) still
    // draws every text the screens show.
    if (const std::string shipped = files->fullPathForFilename(kShippedJapanese); !shipped.empty()) {
        return {shipped, 0};
    }
    return {};
}

} // namespace engine
