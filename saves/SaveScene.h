#pragma once

#include "engine/2d/Layer.h"
#include "engine/base/RefPtr.h"
#include "engine/base/Vector.h"
#include "engine/ui/EditBoxDelegate.h"
#include "saves/SaveItemAddView.h"
#include "saves/SaveItemSavedView.h"
#include "saves/SaveItemViewListener.h"
#include "saves/ThumbnailLoader.h"
#include "store/SaveData.h"
#include "widgets/Design.h"
#include "widgets/FieldScrollViewDelegate.h"

#include <memory>
#include <string>

namespace engine {
class Sprite;
}

class AlertView;
class FieldScrollView;
class SaveListKeys;

// The list of saved programs, the first screen: a horizontal strip with the
// start-new entry first and then one entry per saved program, newest first.
// Tapping a picture opens the program in the editor; holding it selects it
// for deletion or export; tapping a title renames the program. Buttons at
// the bottom export every program and import a file.
//
// Only the entries in view are nodes in the strip; entries scrolled out are
// kept in a pool and rebound as others scroll in. The strip's offset is kept
// for the whole process, so the list reopens where it was left.
class SaveScene : public engine::Layer,
                  public FieldScrollViewDelegate,
                  public SaveItemViewListener,
                  public engine::ui::EditBoxDelegate {
public:
    static constexpr float kViewWidth = design::kWidth;
    static constexpr float kViewHeight = design::kHeight;
    static constexpr float kEntryWidth = 300;
    static constexpr float kEntryPitch = 350;
    // Left edge of the first entry: it sits in the middle of the view.
    static constexpr float kFirstEntryLeft = kViewWidth / 2 - kEntryWidth / 2;
    static constexpr float kApplyTitleDelay = 0.1f;
    // Programs as files: the list's buttons at the bottom right, and the
    // selection's beside its delete and cancel buttons (their size).
    static inline const engine::Size kFileButtonSize{170, 56};
    static constexpr float kFileButtonMargin = 16;
    static inline const engine::Size kSelectionButtonSize{180, 80};

    CREATE_FUNC(SaveScene);
    bool init() override;

    // Rebuilds the strip from the store, keeping the offset (clamped to the
    // new content).
    void reloadList();
    // The entry for list position `index` (0: the start-new entry).
    SaveItemView* itemForIndex(int index);
    // Left edge of entry `index` in the strip.
    static float entryLeft(int index) { return kFirstEntryLeft + kEntryPitch * static_cast<float>(index); }
    // Width of the strip with `savedCount` programs.
    static float contentWidth(int savedCount);

    void scrollViewDidScroll(FieldScrollView* view) override;

    void onItemTapped(SaveItemView* item) override;
    void onTitleTapped(SaveItemView* item) override;
    void onItemLongPressed(SaveItemView* item) override;

    void editBoxEditingDidEnd(engine::ui::EditBox* editBox) override;
    void editBoxReturn(engine::ui::EditBox* editBox) override;
    // Escape closes the title editor without applying.
    void editBoxEditingDidEndWithAction(engine::ui::EditBox* editBox, EditBoxEndAction action) override;

    void setDeleteMode(bool on);
    bool isDeleteMode() const { return deleteMode; }
    void showTitleEditor(SaveItemView* item);
    // Applies the edited title once; later calls for the same edit do nothing.
    // If the list cannot be written the old title stays and a message says so.
    void applyTitle(engine::ui::EditBox* box, SaveItemView* item);
    void confirmDelete();
    void deleteSelected(AlertView* alert);

    // The horizontal offset of the strip (0 or negative), kept across scenes.
    static int getSavedListOffset() { return savedListOffset; }
    static void setSavedListOffset(int offset) { savedListOffset = offset; }

    FieldScrollView* getScrollView() const { return scrollView; }
    const engine::Vector<SaveItemView*>& getVisibleItems() const { return visibleItems; }
    const engine::Vector<SaveItemSavedView*>& getItemPool() const { return itemPool; }
    const engine::Vector<SaveData*>& getSelection() const { return selection; }
    // Decodes the entries' thumbnails off the main thread.
    ThumbnailLoader& getThumbnailLoader() const { return *thumbnails; }
    engine::Layer* getEditLayer() const { return editLayer; }
    engine::Layer* getDeleteLayer() const { return deleteLayer; }
    SaveListKeys* getKeys() const { return keys.get(); }

protected:
    SaveScene();
    ~SaveScene() override;

private:
    void recycle(SaveItemView* item);
    // Adds the entries from `first` towards `step` (-1 or +1) while they are in view.
    void fill(int first, int step, int savedCount, float offsetX);
    static bool isInView(int index, float offsetX);
    // The highest list position whose entry can be in view at `offsetX`.
    static int lastIndexAt(float offsetX, int savedCount);
    engine::Sprite* makeButton(const std::string& picture, const engine::Vec2& position,
                               void (SaveScene::*action)());
    void cancelDeleteMode();
    void addFileButtons();
    // The selected programs out as one file.
    void exportSelection();
    void closeTitleEditor();
    void reportUnsaved();
    // Tells, on the first frame, what the store could not read.
    void announceStoreProblems();
    // Tells a second copy of the editor that it only reads; true when it does.
    bool refusedWhileReadOnly();
    void openEditor(SaveData* record);

    static int savedListOffset;

    engine::Layer* editLayer = nullptr;
    SaveItemView* editItem = nullptr;
    engine::Vector<SaveData*> selection;
    engine::Vector<SaveItemView*> visibleItems;
    engine::Vector<SaveItemSavedView*> itemPool;
    engine::Layer* deleteLayer = nullptr;
    engine::RefPtr<SaveItemAddView> newItem;
    FieldScrollView* scrollView = nullptr;
    std::shared_ptr<ThumbnailLoader> thumbnails;
    bool deleteMode = false;
    // Set once the editor has been asked for, so a second tap in the same
    // frame does not open a second one.
    bool leaving = false;
    // The arrow keys' focus and Return.
    std::unique_ptr<SaveListKeys> keys;
};
