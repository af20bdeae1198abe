#include "saves/SaveScene.h"

#include "engine/2d/Director.h"
#include "engine/2d/LayerColor.h"
#include "engine/2d/Scene.h"
#include "engine/2d/Sprite.h"
#include "engine/2d/actions/CallFunc.h"
#include "engine/2d/actions/DelayTime.h"
#include "engine/2d/actions/FadeIn.h"
#include "engine/2d/actions/Sequence.h"
#include "engine/2d/events/EventDispatcher.h"
#include "engine/2d/events/EventListenerTouchOneByOne.h"
#include "engine/2d/events/Touch.h"
#include "engine/ui/EditBox.h"
#include "saves/SaveItemAddView.h"
#include "saves/SaveItemSavedView.h"
#include "saves/SaveListKeys.h"
#include "saves/SaveListTexts.h"
#include "store/SaveData.h"
#include "store/SaveDataManager.h"
#include "widgets/AlertView.h"
#include "widgets/Design.h"
#include "widgets/FieldScrollView.h"
#include "widgets/Notice.h"
#include "widgets/PressedButton.h"
#include "widgets/ProgramSharing.h"
#include "widgets/ScreenNavigator.h"
#include "widgets/TextButton.h"

#include <algorithm>
#include <cmath>

using engine::Event;
using engine::Size;
using engine::Touch;
using engine::Vec2;
using engine::ui::EditBox;

int SaveScene::savedListOffset = 0;

namespace {

int savedCount() {
    return static_cast<int>(SaveDataManager::getInstance()->getDatas().size());
}

} // namespace

SaveScene::SaveScene() = default;

SaveScene::~SaveScene() {
    if (scrollView) {
        scrollView->delegate = nullptr;
    }
    for (SaveItemView* item : visibleItems) {
        item->listener = nullptr;
    }
    for (SaveItemView* item : itemPool) {
        item->listener = nullptr;
    }
    if (newItem) {
        newItem->listener = nullptr;
    }
}

float SaveScene::contentWidth(int count) {
    const float n = static_cast<float>(count + 1);
    return 2 * kFirstEntryLeft + kEntryWidth * n + (kEntryPitch - kEntryWidth) * (n - 1);
}

bool SaveScene::init() {
    if (!Layer::init()) {
        return false;
    }
    auto* background = engine::LayerColor::create(design::kThemeBlue, kViewWidth, kViewHeight);
    scrollView = FieldScrollView::create(Size(kViewWidth, kViewHeight));
    if (!background || !scrollView) {
        return false;
    }
    addChild(background);
    scrollView->setPosition(Vec2::ZERO);
    scrollView->delegate = this;
    scrollView->setDirection(FieldScrollView::HORIZONTAL);
    scrollView->bounceable = false;
    addChild(scrollView);
    thumbnails = std::make_shared<ThumbnailLoader>(engine::Director::getInstance()->getScheduler());
    reloadList();
    addFileButtons();
    keys = std::make_unique<SaveListKeys>(this);
    announceStoreProblems();
    return true;
}

void SaveScene::announceStoreProblems() {
    std::string message;
    bool unreadable = false;
    for (const SaveDataManager::Problem& problem : SaveDataManager::getInstance()->takeListProblems()) {
        message += message.empty() ? "" : "\n";
        if (problem.kind == SaveDataManager::Problem::Kind::HeldElsewhere) {
            message += SaveListTexts::kReadOnlyMessage;
        } else if (problem.kind == SaveDataManager::Problem::Kind::Unreadable) {
            unreadable = true;
            // The system's reason is in the log (the store's), not in a child's box.
            message += std::string(SaveListTexts::kListUnreadableMessage) + "\n" + problem.file;
        } else {
            message += std::string(SaveListTexts::kListSetAsideMessage) + "\n" + problem.detail;
        }
    }
    if (message.empty()) {
        return;
    }
    const std::string title = unreadable ? SaveListTexts::kFailureCaption : SaveListTexts::kNoticeCaption;
    // After the list is on the screen, so that the box has something to stand on.
    runAction(engine::Sequence::create(engine::DelayTime::create(0),
                                       engine::CallFunc::create([this, message, title, unreadable] {
                                           if (unreadable) {
                                               Notice::showFailure(this, message, title);
                                           } else {
                                               Notice::show(this, message, title);
                                           }
                                       })));
}

void SaveScene::addFileButtons() {
    if (!ProgramSharing::get()) {
        return;
    }
    const std::pair<const char*, void (*)()> buttons[] = {
        {SaveListTexts::kExportAllButton, [] { ProgramSharing::get()->exportAll(); }},
        {SaveListTexts::kImportButton, [] { ProgramSharing::get()->importFile(); }},
    };
    // Bottom right, under the strip, the last one at the edge.
    float right = kViewWidth - kFileButtonMargin;
    for (auto it = std::rbegin(buttons); it != std::rend(buttons); ++it) {
        if (engine::Node* button = TextButton::create(it->first, kFileButtonSize, it->second)) {
            right -= kFileButtonSize.width;
            button->setPosition(right, kFileButtonMargin);
            addChild(button);
            right -= kFileButtonMargin;
        }
    }
}

void SaveScene::exportSelection() {
    if (ProgramSharing* sharing = ProgramSharing::get(); sharing && !selection.empty()) {
        sharing->exportPrograms(std::vector<SaveData*>(selection.begin(), selection.end()));
    }
}

// --- the strip ---

void SaveScene::reloadList() {
    visibleItems.clear();
    itemPool.clear();
    newItem.reset();
    scrollView->removeAllChildren();

    const float width = contentWidth(savedCount());
    scrollView->setContentSize(Size(width, kViewHeight));
    const float scrollable = width - scrollView->viewSize.width;
    if (savedListOffset > 0) {
        savedListOffset = 0;
    }
    if (-static_cast<float>(savedListOffset) > scrollable) {
        savedListOffset = -static_cast<int>(scrollable);
    }
    // The strip is filled around the offset directly (see scrollViewDidScroll),
    // so there is no need to walk there from the start, making and recycling
    // every entry on the way.
    scrollView->setContentOffset(Vec2(static_cast<float>(savedListOffset), 0));
}

bool SaveScene::isInView(int index, float offsetX) {
    const float left = entryLeft(index) + offsetX;
    return left + kEntryWidth >= 0 && left <= kViewWidth;
}

int SaveScene::lastIndexAt(float offsetX, int count) {
    const int last = static_cast<int>(std::floor((kViewWidth - offsetX - kFirstEntryLeft) / kEntryPitch));
    return std::min(last, count);
}

void SaveScene::scrollViewDidScroll(FieldScrollView* view) {
    const int ox = static_cast<int>(view->getContentOffset().x);
    savedListOffset = ox;
    const float offsetX = static_cast<float>(ox);

    while (!visibleItems.empty() && entryLeft(visibleItems.front()->index) + kEntryWidth + offsetX < 0) {
        recycle(visibleItems.front());
        visibleItems.erase(0);
    }
    while (!visibleItems.empty() && entryLeft(visibleItems.back()->index) + offsetX > kViewWidth) {
        recycle(visibleItems.back());
        visibleItems.popBack();
    }

    const int count = savedCount();
    // With nothing in view (at the start, or after a jump further than the
    // view is wide) the entries are found from the offset itself; stepping
    // from a neighbour would find none.
    const int leftStart =
        visibleItems.empty() ? lastIndexAt(offsetX, count) : visibleItems.front()->index - 1;
    fill(leftStart, -1, count, offsetX);
    const int rightStart = visibleItems.empty() ? 0 : visibleItems.back()->index + 1;
    fill(rightStart, +1, count, offsetX);
    if (keys) {
        keys->refresh();
    }
}

void SaveScene::recycle(SaveItemView* item) {
    scrollView->removeChild(item, false);
    if (auto* saved = dynamic_cast<SaveItemSavedView*>(item)) {
        itemPool.pushBack(saved);
    }
}

void SaveScene::fill(int first, int step, int count, float offsetX) {
    // Entries found to the left go before the ones in view, nearest last.
    engine::Vector<SaveItemView*> before;
    for (int i = first; i >= 0 && i <= count; i += step) {
        if (!isInView(i, offsetX)) {
            break;
        }
        SaveItemView* item = itemForIndex(i);
        if (!item) {
            break;
        }
        item->index = i;
        item->setPosition(entryLeft(i), 0);
        scrollView->addChild(item);
        if (step < 0) {
            before.pushBack(item);
        } else {
            visibleItems.pushBack(item);
        }
        for (std::size_t k = 0; k < itemPool.size(); ++k) {
            if (itemPool.at(k) == item) {
                itemPool.erase(k);
                break;
            }
        }
    }
    if (!before.empty()) {
        before.reverse();
        before.pushBack(visibleItems);
        visibleItems.swap(before);
    }
}

SaveItemView* SaveScene::itemForIndex(int index) {
    if (index == 0) {
        if (!newItem) {
            newItem = SaveItemAddView::create();
            if (!newItem) {
                return nullptr;
            }
            newItem->listener = this;
        }
        return newItem;
    }
    const auto& datas = SaveDataManager::getInstance()->getDatas();
    SaveData* record =
        index - 1 < static_cast<int>(datas.size()) ? datas.at(static_cast<std::size_t>(index - 1)) : nullptr;
    SaveItemSavedView* item = nullptr;
    if (!itemPool.empty()) {
        item = itemPool.back();
        item->setSaveData(record);
    } else {
        item = SaveItemSavedView::create(record, thumbnails);
        if (!item) {
            return nullptr;
        }
        item->listener = this;
    }
    item->setSelected(record && selection.contains(record));
    return item;
}

// --- gestures on the entries ---

void SaveScene::onItemTapped(SaveItemView* item) {
    if (deleteMode) {
        if (!item->data) {
            return;
        }
        if (!item->selected) {
            item->setSelected(true);
            selection.pushBack(item->data);
        } else {
            item->setSelected(false);
            selection.eraseObject(item->data);
            if (selection.empty()) {
                setDeleteMode(false);
            }
        }
        return;
    }
    if (!item->data && refusedWhileReadOnly()) {
        return; // a new program could never be saved here
    }
    openEditor(item->data);
}

bool SaveScene::refusedWhileReadOnly() {
    if (!SaveDataManager::getInstance()->isReadOnly()) {
        return false;
    }
    Notice::show(this, SaveListTexts::kReadOnlyMessage, SaveListTexts::kNoticeCaption);
    return true;
}

void SaveScene::openEditor(SaveData* record) {
    if (leaving) {
        return;
    }
    ScreenNavigator* navigator = ScreenNavigator::get();
    leaving = navigator && navigator->openEditor(record);
}

void SaveScene::onTitleTapped(SaveItemView* item) {
    if (deleteMode || editLayer || !item->data || refusedWhileReadOnly()) {
        return;
    }
    showTitleEditor(item);
}

void SaveScene::onItemLongPressed(SaveItemView* item) {
    if (!item->data || refusedWhileReadOnly()) {
        return;
    }
    setDeleteMode(true);
    item->setSelected(true);
    if (!selection.contains(item->data)) {
        selection.pushBack(item->data);
    }
}

// --- delete mode ---

engine::Sprite* SaveScene::makeButton(const std::string& picture, const Vec2& position,
                                      void (SaveScene::*action)()) {
    auto* button = engine::Sprite::create(picture);
    if (!button) {
        return nullptr;
    }
    button->setPosition(position);
    PressedButton::attach(button, [this, action] { (this->*action)(); });
    return button;
}

void SaveScene::setDeleteMode(bool on) {
    if (deleteMode == on) {
        return;
    }
    deleteMode = on;
    if (on) {
        if (deleteLayer) {
            return;
        }
        deleteLayer = engine::Layer::create();
        const Size visible = engine::Director::getInstance()->getVisibleSize();
        const Vec2 centre(visible.width / 2, visible.height / 2);
        if (auto* remove =
                makeButton("res/r_recode_clean.png", centre + Vec2(-100, 250), &SaveScene::confirmDelete)) {
            deleteLayer->addChild(remove);
        }
        if (auto* cancel = makeButton("res/r_recode_clean_cancel.png", centre + Vec2(100, 250),
                                      &SaveScene::cancelDeleteMode)) {
            deleteLayer->addChild(cancel);
        }
        // Beside them, the chosen programs out as a file.
        if (ProgramSharing::get()) {
            if (engine::Node* save = TextButton::create(SaveListTexts::kExportButton, kSelectionButtonSize,
                                                        [this] { exportSelection(); })) {
                save->setPosition(centre + Vec2(300, 250) -
                                  Vec2(kSelectionButtonSize.width / 2, kSelectionButtonSize.height / 2));
                deleteLayer->addChild(save);
            }
        }
        addChild(deleteLayer);
        return;
    }
    if (deleteLayer) {
        deleteLayer->removeFromParent();
        deleteLayer = nullptr;
    }
    for (SaveItemView* item : visibleItems) {
        item->setSelected(false);
    }
    selection.clear();
}

void SaveScene::cancelDeleteMode() {
    selection.clear();
    setDeleteMode(false);
}

void SaveScene::confirmDelete() {
    AlertView* alert = AlertView::create(SaveListTexts::kDeleteQuestion);
    if (!alert) {
        return;
    }
    alert->onOk = [this](AlertView* view) { deleteSelected(view); };
    alert->onCancel = [](AlertView* view) { view->close(); };
    alert->onOutside = [](AlertView* view) { view->close(); };
    addChild(alert);
    alert->setOpacity(0);
    alert->runAction(engine::FadeIn::create(AlertView::kFadeDuration));
}

void SaveScene::deleteSelected(AlertView* alert) {
    SaveDataManager* store = SaveDataManager::getInstance();
    bool saved = true;
    while (saved && !selection.empty()) {
        saved = store->removeData(selection.front());
        selection.erase(0);
    }
    // The strip shows what the store holds: entries that could not be
    // deleted are back in their places.
    setDeleteMode(false);
    reloadList();
    alert->close();
    if (!saved) {
        reportUnsaved();
    }
}

// --- title editing ---

void SaveScene::showTitleEditor(SaveItemView* item) {
    if (!item->data) {
        return;
    }
    const Vec2 p = item->convertToWorldSpace(Vec2::ZERO);
    const Size visible = engine::Director::getInstance()->getVisibleSize();
    auto* overlay = engine::Layer::create();
    overlay->setCascadeOpacityEnabled(true);
    if (p.x > 0) {
        overlay->addChild(engine::LayerColor::create(design::kDimming, p.x, visible.height));
    }
    const float rightWidth = visible.width - p.x - kEntryWidth;
    if (rightWidth > 0) {
        auto* right = engine::LayerColor::create(design::kDimming, rightWidth, visible.height);
        right->setPosition(p.x + kEntryWidth, 0);
        overlay->addChild(right);
    }

    EditBox* box = EditBox::create(Size(kEntryWidth, 214), "res/r_save_entry_back.png");
    if (!box) {
        return;
    }
    box->setPosition(p + Vec2(kEntryWidth / 2, 107));
    box->setFont("Arial", 30);
    box->setFontColor(design::kTextGrey); // the box is white
    box->setTextHorizontalAlignment(engine::TextHAlignment::CENTER);
    box->setReturnType(EditBox::KeyboardReturnType::DONE);
    box->setInputMode(EditBox::InputMode::SINGLE_LINE);
    box->setDelegate(this);
    box->setText(item->data->title.c_str());
    overlay->addChild(box);

    auto* listener = engine::EventListenerTouchOneByOne::create();
    listener->setSwallowTouches(true);
    listener->onTouchBegan = [](Touch*, Event*) { return true; };
    listener->onTouchEnded = [this, box, item](Touch*, Event*) { applyTitle(box, item); };
    getEventDispatcher()->addEventListenerWithSceneGraphPriority(listener, overlay);

    addChild(overlay);
    editLayer = overlay;
    editItem = item;
    box->openKeyboard();
    // Typing replaces the old title; the arrows keep it.
    box->selectAll();
}

void SaveScene::editBoxEditingDidEnd(EditBox* box) {
    // The box may be gone when the delay ends (the overlay was removed by a
    // touch outside); hold it until then, and apply only if it is still the
    // one being edited.
    engine::RefPtr<EditBox> held(box);
    runAction(engine::Sequence::create(engine::DelayTime::create(kApplyTitleDelay),
                                       engine::CallFunc::create([this, held] {
                                           if (editLayer && held->getParent() == editLayer) {
                                               applyTitle(held.get(), editItem);
                                           }
                                       })));
}

void SaveScene::editBoxReturn(EditBox*) {}

void SaveScene::editBoxEditingDidEndWithAction(EditBox* box, EditBoxEndAction action) {
    if (action == EditBoxEndAction::CANCEL && editLayer && box->getParent() == editLayer) {
        closeTitleEditor();
    }
}

void SaveScene::closeTitleEditor() {
    if (editLayer) {
        getEventDispatcher()->removeEventListenersForTarget(editLayer);
        editLayer->removeFromParent();
    }
    editLayer = nullptr;
    editItem = nullptr;
}

void SaveScene::reportUnsaved() {
    Notice::showFailure(this, SaveListTexts::kNotSavedMessage, SaveListTexts::kFailureCaption);
}

void SaveScene::applyTitle(EditBox* box, SaveItemView* item) {
    if (!editLayer) {
        return;
    }
    const engine::RefPtr<engine::Layer> overlay(editLayer);
    const std::string title = box->getText();
    closeTitleEditor();
    if (item && item->data) {
        // On failure the store keeps the old title, which is what the entry shows.
        const bool saved = SaveDataManager::getInstance()->renameData(item->data, title);
        item->setSaveData(item->data);
        if (!saved) {
            reportUnsaved();
        }
    }
}
