#pragma once

// An editor opened on a program with cards at given screen points, for
// tests that press, hold and drag placed cards (mouse and fingers).

#include "editor/EditorSession.h"
#include "editor/FieldScene.h"
#include "editor/cards/CardSprite.h"
#include "editor/field/FieldBoard.h"
#include "engine/base/Value.h"
#include "tests/editor/FieldRowsOnScreen.h"
#include "tests/saves/SaveScreenFixture.h"
#include "widgets/FieldScrollView.h"

#include <algorithm>
#include <cmath>
#include <vector>

// Far right of the rows: a card here is loose and snaps to nothing.
inline constexpr float kLooseX = 880;
inline constexpr int kNumberCardSet = 2;
inline constexpr int kNumberCardIndex = 2;

class CardGesturesTest : public SaveScreenTest {
protected:
    struct Card {
        int set;
        int index;
        float screenX;
        float screenY;
    };

    // An editor on a listed program holding `cards` (snapped where they lie).
    FieldScene* openWith(const std::vector<Card>& cards) {
        SaveData* saved = addPrograms(1).front();
        engine::ValueVector elements;
        int z = 1;
        for (const Card& card : cards) {
            engine::ValueMap fields;
            fields["tab"] = engine::Value(card.set);
            fields["index"] = engine::Value(card.index);
            fields["x"] = engine::Value(static_cast<int>(std::lround(card.screenX)));
            fields["y"] = engine::Value(static_cast<int>(std::lround(card.screenY + kStartOffsetY)));
            fields["zorder"] = engine::Value(z++);
            fields["value"] = engine::Value("");
            elements.push_back(engine::Value(fields));
        }
        EXPECT_EQ(SaveDataManager::getInstance()->saveProgram(saved, elements),
                  SaveDataManager::SaveResult::Updated);
        record = saved;
        editor = made(FieldScene::create(saved));
        engine::Scene* scene = made(engine::Scene::create());
        scene->addChild(editor);
        present(scene);
        return editor;
    }
    // An editor with one card at `card`'s screen point once the field is
    // scrolled to a whole offset (touches land on whole design units). The
    // card is out of sight when the program opens, so nothing settles it.
    FieldScene* openScrolledWith(Card card) {
        constexpr float kWholeOffset = -4400;
        card.screenY -= kStartOffsetY + kWholeOffset;
        openWith({card});
        editor->getSession().rooms().fieldView->setContentOffset(engine::Vec2(0, kWholeOffset));
        return editor;
    }
    FieldScene* openWithThreeRowCards() {
        return openWith({{0, 0, kRowCardX, rowScreenY(0)},
                         {0, 1, kRowCardX, rowScreenY(1)},
                         {0, 2, kRowCardX, rowScreenY(2)}});
    }

    CardSprite* node(std::size_t creationIndex) const {
        return editor->getSession().rooms().board->cardNodes().at(creationIndex);
    }
    float screenY(const CardSprite* card) const {
        return editor->getSession().rooms().board->viewport().toScreen(card->getPosition()).y;
    }
    float offsetY() const { return editor->getSession().rooms().fieldView->getContentOffset().y; }
    int cardOnRow(int row) const { return editor->getSession().rooms().board->model().cardOnRow(row); }

    // The finger goes from `from` to `to` in steps of about `stepLength`, a frame apart.
    void slide(engine::Vec2 from, engine::Vec2 to, float stepLength = 20) {
        const int steps = std::max(1, static_cast<int>(std::ceil(from.distance(to) / stepLength)));
        for (int i = 1; i <= steps; ++i) {
            driver->touchMoved(from + (to - from) * (static_cast<float>(i) / static_cast<float>(steps)));
            driver->step();
        }
    }
    engine::ValueVector programFile() const {
        return engine::FileUtils::getInstance()->getValueVectorFromFile(root() + record->path);
    }

    FieldScene* editor = nullptr;
    SaveData* record = nullptr;
};
