#include "store/SaveFileNames.h"

#include <charconv>

namespace {

bool startsWith(const std::string& text, const std::string& start) {
    return text.size() >= start.size() && text.compare(0, start.size(), start) == 0;
}

bool endsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

std::optional<int> identifierBetween(const std::string& name, const std::string& prefix,
                                     const std::string& suffix) {
    if (name.size() <= prefix.size() + suffix.size() || !startsWith(name, prefix) ||
        !endsWith(name, suffix)) {
        return std::nullopt;
    }
    const char* first = name.data() + prefix.size();
    const char* last = name.data() + name.size() - suffix.size();
    if (*first < '1' || *first > '9') {
        return std::nullopt;
    }
    int identifier = 0;
    const auto result = std::from_chars(first, last, identifier);
    if (result.ec != std::errc() || result.ptr != last) {
        return std::nullopt;
    }
    return identifier;
}

// The six characters that mkstemp puts in place of "XXXXXX".
bool isTemporarySuffix(const std::string& text) {
    if (text.size() != 6) {
        return false;
    }
    for (const char c : text) {
        const bool letterOrDigit = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!letterOrDigit) {
            return false;
        }
    }
    return true;
}

} // namespace

std::string SaveFileNames::programPath(int identifier) {
    return std::string(kFolder) + "/" + std::to_string(identifier) + ".plist";
}

std::string SaveFileNames::imagePath(int identifier) {
    return std::string(kFolder) + "/img" + std::to_string(identifier) + ".png";
}

std::optional<int> SaveFileNames::programIdentifier(const std::string& name) {
    return identifierBetween(name, "", ".plist");
}

std::optional<int> SaveFileNames::imageIdentifier(const std::string& name) {
    return identifierBetween(name, "img", ".png");
}

bool SaveFileNames::isLeftoverTemporary(const std::string& name) {
    if (endsWith(name, ".tmp")) {
        return imageIdentifier(name.substr(0, name.size() - 4)).has_value();
    }
    const auto marker = name.rfind(".tmp-");
    if (!startsWith(name, ".") || marker == std::string::npos || marker < 2) {
        return false;
    }
    const std::string target = name.substr(1, marker - 1);
    const bool ours = target == "list.plist" || programIdentifier(target) || imageIdentifier(target);
    return ours && isTemporarySuffix(name.substr(marker + 5));
}

bool SaveFileNames::isTemporaryFor(const std::string& name, const std::string& target) {
    const std::string start = "." + target + ".tmp-";
    return startsWith(name, start) && isTemporarySuffix(name.substr(start.size()));
}
