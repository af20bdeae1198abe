#include "device/OpenFailureReason.h"


namespace pavlune {

std::string describeOpenFailure(const PortOpenError& error) {
    switch (error.kind) {
    case PortOpenError::Kind::none:
        return "";
    case PortOpenError::Kind::permissionDenied:
        return "ポートを開く権限がありません（dialout グループに入っていますか）。";
    case PortOpenError::Kind::busy:
        return "ほかのプログラムがポートを使っています。";
    case PortOpenError::Kind::noSuchDevice:
        return "ポートが見つかりません（ケーブルが抜けていませんか）。";
    case PortOpenError::Kind::notATerminal:
    case PortOpenError::Kind::other:
        break;
    }
    return "ポートを開けませんでした: " + error.osText;
}

std::string describeMissingSelection() {
    return "ポートがえらばれていません。";
}

} // namespace pavlune
