#pragma once

#include "saves/SaveItemView.h"

// The entry of one saved program: its thumbnail (or the start picture when it
// has none) and its title. The list rebinds it to other programs as it
// scrolls.
class SaveItemSavedView : public SaveItemView {
public:
    static SaveItemSavedView* create(SaveData* record);

    // Shows the record's title and its thumbnail as the file is now: a
    // rewritten thumbnail is read anew, not taken from the texture cache.
    void setSaveData(SaveData* record) override;
    // Reports the tap to the listener (the list opens the title editor).
    void titleTapped() override;

protected:
    SaveItemSavedView() = default;
};
