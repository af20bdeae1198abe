// FontResolver::match on systems with fontconfig.
#include "engine/platform/FontResolver.h"

#include <fontconfig/fontconfig.h>

namespace engine {

FontFace FontResolver::match(const std::string& pattern) {
    FontFace face;
    if (!FcInit()) {
        return face;
    }
    FcPattern* query = FcNameParse(reinterpret_cast<const FcChar8*>(pattern.c_str()));
    if (!query) {
        return face;
    }
    FcConfigSubstitute(nullptr, query, FcMatchPattern);
    FcDefaultSubstitute(query);
    FcResult result = FcResultNoMatch;
    FcPattern* found = FcFontMatch(nullptr, query, &result);
    if (found) {
        FcChar8* file = nullptr;
        int index = 0;
        if (FcPatternGetString(found, FC_FILE, 0, &file) == FcResultMatch && file) {
            face.path = reinterpret_cast<const char*>(file);
            if (FcPatternGetInteger(found, FC_INDEX, 0, &index) == FcResultMatch) {
                face.index = index;
            }
        }
        FcPatternDestroy(found);
    }
    FcPatternDestroy(query);
    return face;
}

} // namespace engine
