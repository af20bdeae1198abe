#include "editor/link/PavluneAppsError.h"

#include "editor/EditorTexts.h"

PavluneAppsError PavluneAppsError::forFailure(const pavlune::TransferFailure& failure) {
    using Kind = pavlune::TransferFailure::Kind;
    switch (failure.kind) {
    case Kind::portNotOpened: {
        std::string message = EditorTexts::kReconnectMessage;
        if (const std::string reason = EditorTexts::portNotOpened(failure.port); !reason.empty()) {
            message += "\n" + reason;
        }
        return {EditorTexts::kFailureCaption, message, true, true, true};
    }
    case Kind::writeFailed:
        return {EditorTexts::kFailureCaption, EditorTexts::kWriteFailedMessage, true, true, true};
    case Kind::cannotStop:
        return {EditorTexts::kCannotStopCaption, EditorTexts::kCannotStopMessage, true, false, false};
    case Kind::stopped:
        break;
    }
    return {"", "", false, false, false};
}
