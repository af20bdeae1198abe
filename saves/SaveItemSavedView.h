#pragma once

#include "saves/SaveItemView.h"
#include "saves/ThumbnailLoader.h"

#include <memory>

// The entry of one saved program: its thumbnail and its title. The list
// rebinds it to other programs as it scrolls.
//
// The thumbnail is decoded by the list's ThumbnailLoader; until it arrives,
// and for a program whose picture is missing or unreadable, the entry shows
// the empty-program picture. The thumbnail's texture belongs to this entry
// alone: it goes when the entry is rebound or leaves the strip, and comes
// back (decoded anew) when the entry returns.
class SaveItemSavedView : public SaveItemView {
public:
    static SaveItemSavedView* create(SaveData* record, std::shared_ptr<ThumbnailLoader> loader);

    // Shows the record's title and asks for its thumbnail as the file is now,
    // so a rewritten thumbnail is read anew. Rebinding to the program already
    // shown keeps its picture until the new one arrives.
    void setSaveData(SaveData* record) override;
    // Reports the tap to the listener (the list opens the title editor).
    void titleTapped() override;

    void onEnter() override;
    void onExit() override;

    // Whether the program's own picture is shown (not the empty-program one).
    bool showsThumbnail() const { return thumbnailShown_; }

protected:
    SaveItemSavedView() = default;
    ~SaveItemSavedView() override;

private:
    void requestThumbnail();
    void cancelRequest();
    void showNoThumbnail();

    std::shared_ptr<ThumbnailLoader> loader_;
    std::shared_ptr<ThumbnailLoader::Request> request_;
    bool thumbnailShown_ = false;
};
