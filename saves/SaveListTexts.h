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
};
