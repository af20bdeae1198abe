#include "device/OpenFailureReason.h"

#include <cerrno>
#include <cstring>

namespace pavlune {

std::string describeOpenFailure(int error) {
    switch (error) {
    case 0:
        return "";
    case EACCES:
    case EPERM:
        return "ポートを開く権限がありません（dialout グループに入っていますか）。";
    case EBUSY:
    case EWOULDBLOCK:
        return "ほかのプログラムがポートを使っています。";
    case ENOENT:
    case ENODEV:
    case ENXIO:
        return "ポートが見つかりません（ケーブルが抜けていませんか）。";
    default:
        return std::string("ポートを開けませんでした: ") + std::strerror(error);
    }
}

std::string describeMissingSelection() {
    return "ポートがえらばれていません。";
}

} // namespace pavlune
