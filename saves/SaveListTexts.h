#pragma once

// Every word that the list of saved programs shows a child, in one table.
// The store reports kinds and the system's reasons; the words are chosen here.
struct SaveListTexts {
    // The start-new entry's title.
    static constexpr const char* kStartNew = "あたらしくはじめる";
    static constexpr const char* kDeleteQuestion = "えらんだソースコードを消しますか？";
    // Shown when a rename or a deletion could not be written.
    static constexpr const char* kFailureCaption = "しっぱい";
    static constexpr const char* kNotSavedMessage = "へんこうを保存できませんでした。";
    // Told once when the list is first shown: a list file that could not be
    // read (left alone), or a damaged one that was renamed aside.
    static constexpr const char* kListUnreadableMessage = "プログラムの リストを よめませんでした。";
    static constexpr const char* kListSetAsideMessage =
        "プログラムの リストが こわれていたので、べつの なまえで のこしました。";
    static constexpr const char* kNoticeCaption = "おしらせ";
    // Told when the list first shows in a second copy of the editor on the
    // same store, and again when that copy is asked to make, rename or delete
    // a program: the child's words first, then the teacher's.
    static constexpr const char* kReadOnlyMessage =
        "もう ひとつ ひらいているので、ここでは みるだけだよ。\n"
        "（先生へ：別のウィンドウが使用中のため、読み取り専用です）";

    // Programs as files (the list's buttons, its selection's and the
    // editor's bar). The buttons:
    static constexpr const char* kExportButton = "かきだす";
    static constexpr const char* kExportAllButton = "みんな かきだす";
    static constexpr const char* kImportButton = "よみこむ";
    // The chooser's titles.
    static constexpr const char* kExportTitle = "プログラムを かきだす";
    static constexpr const char* kExportAllTitle = "みんなの プログラムを かきだす";
    static constexpr const char* kImportTitle = "プログラムを よみこむ";
    // What came of it. A file name follows "exported" and "imported".
    static constexpr const char* kExportedMessage = "かきだしたよ：";
    static constexpr const char* kImportedMessage = "よみこんだよ：";
    // Follows the imported title or count, on a line of its own (a box wraps
    // anywhere in a line of kana).
    static constexpr const char* kImportedWhere = "\nリストの はじめに あるよ。";
    // The count goes between these two ("2こ": two of them).
    static constexpr const char* kImportedCountBefore = "プログラムを ";
    static constexpr const char* kImportedCountAfter = "こ よみこんだよ。";
    static constexpr const char* kNothingToExportMessage = "かきだす プログラムが ないよ。";
    static constexpr const char* kUnreadableProgramMessage = "この プログラムを よめませんでした。";
    static constexpr const char* kSkippedMessage = "よめない プログラムは いれなかったよ。";
    static constexpr const char* kNotAProgramMessage =
        "プログラムの ファイルでは "
        "ないよ。\n（先生へ：壊れているか別の種類のファイルです。何も変えていません）";
    static constexpr const char* kProgramNotSavedMessage = "プログラムを保存できませんでした。";
    static constexpr const char* kNotWrittenMessage =
        "ファイルに かきこめなかったよ。\n（先生へ：別の場所を選んでください）";
    static constexpr const char* kNotReadMessage =
        "ファイルを よめなかったよ。\n（先生へ：開けないか、大きすぎるファイルです）";
    static constexpr const char* kNoChooserMessage =
        "ファイルを えらぶ がめんが でないよ。\n（先生へ：デスクトップ ポータルが応答しません）";
    static constexpr const char* kChooserOpenMessage = "ファイルを えらぶ がめんが もう ひらいているよ。";
};
