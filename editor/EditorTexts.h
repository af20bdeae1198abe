#pragma once

#include "device/PortOpenError.h"
#include "program/CardNumberRule.h"

#include <string>

// Every word that the editor shows a child, in one table: captions and
// messages, the port status, the sending overlay, the program panel, the
// number editor's refusals and the words for what went wrong on the link.
// The layers below report kinds and the system's reasons; the words are
// chosen here. Header only: the card room and the link both read it.
class EditorTexts {
public:
    // Captions of the message boxes.
    static constexpr const char* kFailureCaption = "しっぱい";
    static constexpr const char* kNoticeCaption = "おしらせ";

    // The bar's buttons for programs as files.
    static constexpr const char* kExportButton = "かきだす";
    static constexpr const char* kExportAllButton = "みんな かきだす";
    static constexpr const char* kImportButton = "よみこむ";

    // The program file.
    static constexpr const char* kNotSavedMessage = "プログラムを保存できませんでした。";
    static constexpr const char* kTooManyCardsMessage =
        "カードが おおすぎるので、はじめの 2000まいだけ だしました。のこりも ファイルに のこっています。";
    // Told when a card is lifted from the palette into a program that holds
    // as many cards as a program may.
    static constexpr const char* kNoRoomForCardsMessage =
        "これいじょう おけないよ。ひとつの ぷろぐらむに おけるのは 2000まいまで だよ。";
    // Told when the editor opens a program whose file could not be read (it
    // is left alone and not saved over) or was damaged and renamed aside.
    static constexpr const char* kUnreadableMessage = "この プログラムを よめませんでした。";
    static constexpr const char* kSetAsideMessage =
        "この プログラムは こわれていたので、べつの なまえで のこしました。";
    // Told when an edit is put back because another copy of the editor holds
    // the store: the child's words first, then the teacher's.
    static constexpr const char* kReadOnlyMessage =
        "もう ひとつ ひらいているので、かえられないよ。もとに もどしたよ。\n"
        "（先生へ：別のウィンドウが使用中のため、読み取り専用です）";

    // The board link.
    static constexpr const char* kReconnectMessage = "せつぞくしなおしてください。";
    static constexpr const char* kWriteFailedMessage = "せつぞくにしっぱいしました。";
    static constexpr const char* kCannotStopCaption = "ボードを とめるには";
    static constexpr const char* kCannotStopMessage = "ボードの リセットボタンを おしてね。";
    static constexpr const char* kNoBoardCaption = "ボードが ないよ";
    static constexpr const char* kMissingBoardMessage =
        "えらんだ ボードが はずれているよ。\nケーブルを つなぎなおしてね。";
    static constexpr const char* kScreenBoardFailed = "シミュレータを はじめられなかったよ。";
    static constexpr const char* kOfferScreenBoardMessage =
        "ボードが みつからないよ。\nシミュレータで うごかしてみる？";
    // A browser without serial ports: which ones reach a board, short
    // enough for the box (the README tells the teacher more).
    static constexpr const char* kNoSerialCaption = "ボードに つなぐには";
    static constexpr const char* kNoSerialMessage =
        "この ブラウザでは ボードに つなげないよ。\nクロームか エッジで ひらいてね。";
    // Follows kNoSerialMessage when the board on the screen can stand in.
    static constexpr const char* kTryScreenBoard = "\nシミュレータで うごかしてみる？";
    // The school's settings forbid serial ports (a managed browser's policy).
    static constexpr const char* kBoardsBlockedMessage =
        "がっこうの せっていで、ボードに つなげないように なっているよ。\n"
        "（先生へ：管理者の設定でシリアルポートが禁止されています）";
    // The board on the screen, as the port list names it.
    static constexpr const char* kScreenBoardName = "シミュレータ";

    // The port status line.
    static constexpr const char* kSearching = "ボードを さがしているよ";
    static constexpr const char* kNotFound = "ボードが みつからないよ";
    static constexpr const char* kMissingSuffix = " が はずれているよ";

    // The sending overlay.
    static constexpr const char* kSending = "おくっているよ";
    // Only what the editor knows: the program went out. Whether a board ran
    // it only the board can tell (its answer follows kBoardAnswer).
    static constexpr const char* kSent = "おくったよ";
    static constexpr const char* kStoppedOnTheWay = "とちゅうで とまったよ";
    static constexpr const char* kBoardAnswer = "ボードの へんじ： ";
    static constexpr const char* kNoAnswerFromBuiltIn = "へんじが ないよ。ボードが つながって いないかも";
    static constexpr const char* kStopping = "とめているよ";
    static constexpr const char* kClose = "とじる";

    // The bar's print button and what it tells. The teacher's part says
    // where the file went, after the path.
    static constexpr const char* kPrintButton = "いんさつ";
    static constexpr const char* kNothingToPrint = "カードを ならべてから いんさつしてね。";
    static constexpr const char* kNotPrinted = "いんさつする ファイルを つくれなかったよ。";
    static constexpr const char* kPrinted = "いんさつする カードを つくったよ。\n（先生へ：";
    static constexpr const char* kPrintedEnd = " に保存しました）";

    // The program panel.
    static constexpr const char* kCodeTitle = "コード  "; // followed by the dialect's name
    static constexpr const char* kCopied = "コピーしたよ";
    static constexpr const char* kEmptyListing = "カードを ならべると ここに でるよ";

    // Why the chosen port did not open, in words a teacher can act on; empty
    // when it opened. Where no kind fits, only that it did not open: the
    // system's own text goes to the log, not to the box.
    static std::string portNotOpened(const pavlune::PortOpenError& error);
    // Said under the number editor's box when its emptied box got the old
    // number back.
    static constexpr const char* kNumberKept = "からっぽには できないよ。まえの かずに もどしたよ";
    // What the number editor says under its box when `rule` refuses the text.
    static std::string numberRefusal(const pavlune::CardNumberRule& rule,
                                     pavlune::CardNumberRule::Problem problem);
    // What play says about a row (0-based) holding a wrong number: its line
    // number, as the field shows it.
    static std::string wrongNumberRow(int row);
};

inline std::string EditorTexts::portNotOpened(const pavlune::PortOpenError& error) {
    using Kind = pavlune::PortOpenError::Kind;
    switch (error.kind) {
    case Kind::none:
        return "";
    case Kind::permissionDenied:
        return "ポートを ひらけないよ（dialout グループに はいっていますか）。";
    case Kind::blocked:
        return kBoardsBlockedMessage;
    case Kind::busy:
        return "ほかの プログラムが ポートを つかっているよ。";
    case Kind::noSuchDevice:
        return "ポートが みつからないよ（ケーブルが はずれていない？）。";
    case Kind::notSelected:
        return "ポートが えらばれていないよ。";
    case Kind::notATerminal:
    case Kind::other:
        break;
    }
    return "ポートを ひらけなかったよ。";
}

inline std::string EditorTexts::numberRefusal(const pavlune::CardNumberRule& rule,
                                              pavlune::CardNumberRule::Problem problem) {
    using Problem = pavlune::CardNumberRule::Problem;
    switch (problem) {
    case Problem::none:
        return {};
    case Problem::empty:
    case Problem::notANumber:
        return "すうじを いれてね";
    case Problem::tooFine:
        return "てんの あとは 1けたまでに してね";
    case Problem::notWhole:
    case Problem::tooLarge:
    case Problem::tooSmall:
        break;
    }
    if (rule.countsTurns()) {
        return std::to_string(pavlune::CardNumberRule::kMinTurns) + " から " + rule.limitText() +
               " までの かずに してね";
    }
    return rule.limitText() + " より ちいさい かずに してね";
}

inline std::string EditorTexts::wrongNumberRow(int row) {
    return std::to_string(10 * (row + 1)) + " の カードの すうじを なおしてね";
}
