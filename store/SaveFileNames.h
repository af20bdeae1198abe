#pragma once

#include <optional>
#include <string>

// The names of the store's files inside W/savedatas/, and the names that the
// store recognises there: the program and the picture of an identifier, the
// temporary files of an interrupted write, and the copies of damaged files.
class SaveFileNames {
public:
    static constexpr const char* kFolder = "savedatas";
    static constexpr const char* kList = "savedatas/list.plist";

    // "savedatas/12.plist" and "savedatas/img12.png", relative to W.
    static std::string programPath(int identifier);
    static std::string imagePath(int identifier);

    // The identifier in a program file's name such as "12.plist" (digits
    // only, no leading zero, within 1 .. INT_MAX).
    static std::optional<int> programIdentifier(const std::string& name);
    // The same for a picture's name such as "img12.png".
    static std::optional<int> imageIdentifier(const std::string& name);

    // Whether `name` is a temporary file left by an interrupted write of the
    // store's own: ".<file>.tmp-XXXXXX" from the file layer's atomic write, or
    // "img<n>.png.tmp" from older versions that wrote pictures themselves.
    static bool isLeftoverTemporary(const std::string& name);
    // Whether `name` is the file layer's temporary file for `target` (a name
    // in the same folder): ".<target>.tmp-XXXXXX".
    static bool isTemporaryFor(const std::string& name, const std::string& target);
};
