#include "device/OpenFailureReason.h"

namespace pavlune {

std::string describeOpenFailure(const PortOpenError& error) {
    switch (error.kind) {
    case PortOpenError::Kind::none:
        return "";
    case PortOpenError::Kind::permissionDenied:
        return "ポートを ひらけないよ（dialout グループに はいっていますか）。";
    case PortOpenError::Kind::busy:
        return "ほかの プログラムが ポートを つかっているよ。";
    case PortOpenError::Kind::noSuchDevice:
        return "ポートが みつからないよ（ケーブルが はずれていない？）。";
    case PortOpenError::Kind::notATerminal:
    case PortOpenError::Kind::other:
        break;
    }
    return "ポートを ひらけなかったよ: " + error.osText;
}

std::string describeMissingSelection() {
    return "ポートが えらばれていないよ。";
}

} // namespace pavlune
