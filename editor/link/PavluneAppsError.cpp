#include "editor/link/PavluneAppsError.h"

#include "editor/EditorTexts.h"
#include "engine/base/Log.h"

PavluneAppsError PavluneAppsError::forFailure(const pavlune::TransferFailure& failure) {
    using Kind = pavlune::TransferFailure::Kind;
    switch (failure.kind) {
    case Kind::portNotOpened: {
        using PortKind = pavlune::PortOpenError::Kind;
        if (failure.port.kind == PortKind::blocked) {
            // Neither reconnecting nor a new search helps: only the school can.
            return {EditorTexts::kNoticeCaption, EditorTexts::kBoardsBlockedMessage, true, false, false};
        }
        if (failure.port.kind == PortKind::other || failure.port.kind == PortKind::notATerminal) {
            // No words of the box's own fit: the system's text is for the log.
            engine::Log::error("link", "the port did not open: " + failure.port.osText);
        }
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
