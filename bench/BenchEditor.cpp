#include "bench/BenchEditor.h"

#include "catalogue/CardCode.h"
#include "catalogue/DeviceManager.h"
#include "editor/EditorSession.h"
#include "editor/FieldScene.h"
#include "editor/cards/CardSprite.h"
#include "editor/field/FieldBoard.h"
#include "engine/2d/Director.h"
#include "engine/2d/Scene.h"
#include "engine/2d/Sprite.h"
#include "engine/base/FileUtils.h"
#include "engine/base/RefPtr.h"
#include "engine/platform/HeadlessDriver.h"
#include "field/ProgramDocument.h"
#include "program/FieldRows.h"
#include "store/SaveData.h"
#include "store/SaveDataManager.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using engine::Vec2;

namespace {

constexpr int kWaitAnyCard = 2;
constexpr int kLoopAnyCard = 8;

struct Kind {
    int cardSet;
    int cardIndex;
};

engine::Size faceSize(Kind kind) {
    engine::Sprite* face = engine::Sprite::create(
        pavlune::DeviceManager::getInstance()->getView().getCardFaceImage(kind.cardIndex, kind.cardSet));
    return face ? face->getContentSize() : engine::Size();
}

// Every card of the catalogue that takes no number, in palette order.
std::vector<Kind> plainKinds() {
    const pavlune::DeviceManager* catalogue = pavlune::DeviceManager::getInstance();
    std::vector<Kind> kinds;
    for (int set = 0; set < pavlune::kCardSetCount; ++set) {
        for (int index = 0; index < catalogue->getView().getCardCount(set); ++index) {
            if (catalogue->getView().getCardCode(index, set).kind != pavlune::CardCode::input) {
                kinds.push_back({set, index});
            }
        }
    }
    return kinds;
}

engine::ValueVector makeProgram(const pavlune::FieldModel& model, const BenchEditor::Shape& shape) {
    const std::vector<Kind> plain = plainKinds();
    const std::vector<int> numberRows{3, 7, 9, 12, 20, 31};
    const std::vector<int> numberLoose{2, 11, 25, 37};
    int numbers = 0;
    auto kindFor = [&](bool number, int n) {
        if (!number) {
            return plain[static_cast<std::size_t>(n) % plain.size()];
        }
        // The first two are "wait any", the other eight "loop any".
        return Kind{pavlune::full, numbers++ < 2 ? kWaitAnyCard : kLoopAnyCard};
    };
    auto contains = [](const std::vector<int>& list, int n) {
        return std::find(list.begin(), list.end(), n) != list.end();
    };
    engine::ValueVector elements;
    int zOrder = 1;
    float rowsRight = 0;
    const int lastRow = std::min(shape.firstRow + shape.rowCards, pavlune::kFieldRowCount);
    for (int r = shape.firstRow; r < lastRow; ++r) {
        if (r == shape.gapRow) {
            continue;
        }
        const bool number = contains(numberRows, r);
        const Kind kind = kindFor(number, r);
        const pavlune::RowSlot& slot = model.rowSlot(r);
        const engine::Size size = faceSize(kind);
        const Vec2 centre(slot.connectorPoint(0).x + size.width / 2, slot.position.y);
        rowsRight = std::max(rowsRight, centre.x + size.width / 2);
        elements.emplace_back(pavlune::ProgramDocument::elementFor(
            kind.cardSet, kind.cardIndex, centre, zOrder++, number ? std::to_string(10 + r) : ""));
    }
    std::mt19937 random(2026);
    const float top = model.rowSlot(0).position.y;
    const float bottom = model.rowSlot(pavlune::kFieldRowCount - 1).position.y;
    const bool gapTaken = shape.gapRow >= shape.firstRow && shape.gapRow < lastRow;
    const int loose = shape.looseCards + (gapTaken ? 1 : 0);
    for (int n = 0; n < loose; ++n) {
        const bool number = contains(numberLoose, n % 40);
        const Kind kind = kindFor(number, n + 7);
        const engine::Size size = faceSize(kind);
        const float left = rowsRight + 20 + size.width / 2;
        const float right =
            std::max(left, static_cast<float>(pavlune::FieldModel::kDragRightEdge) - size.width / 2);
        std::uniform_real_distribution<float> x(left, right);
        std::uniform_real_distribution<float> y(bottom, top);
        elements.emplace_back(pavlune::ProgramDocument::elementFor(kind.cardSet, kind.cardIndex,
                                                                   Vec2(x(random), y(random)), zOrder++,
                                                                   number ? std::to_string(n) + ".5" : ""));
    }
    return elements;
}

} // namespace

BenchEditor::BenchEditor(std::string folder) : folder_(std::move(folder)) {
    if (!folder_.empty()) {
        fs::create_directories(folder_);
    } else {
        char pattern[] = "/tmp/pavlune-bench-editor-XXXXXX";
        const char* made = ::mkdtemp(pattern);
        if (!made) {
            std::printf("no temporary folder\n");
            std::exit(1);
        }
        folder_ = made;
        ownFolder_ = true;
    }
    ::setenv("XDG_DATA_HOME", folder_.c_str(), 1);
    engine::FileUtils::getInstance()->setWritablePath((fs::path(folder_) / "PavluneApps").string());
}

BenchEditor::~BenchEditor() {
    if (record_) {
        record_->release();
    }
    if (ownFolder_) {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
}

SaveData* BenchEditor::saveProgram(const Shape& shape) {
    if (!record_) {
        record_ = SaveData::create();
        record_->retain();
    }
    FieldScene* blank = FieldScene::create(nullptr);
    if (!blank) {
        std::printf("the editor could not be made\n");
        std::exit(1);
    }
    engine::RefPtr<FieldScene> held(blank);
    SaveDataManager::getInstance()->saveProgram(
        record_, makeProgram(blank->getSession().rooms().board->model(), shape));
    return record_;
}

void BenchEditor::show(engine::HeadlessDriver& driver, engine::Scene* scene) {
    engine::Director::getInstance()->replaceScene(scene);
    driver.step();
}

FieldScene* BenchEditor::open(engine::HeadlessDriver& driver, SaveData* record) {
    FieldScene* editor = FieldScene::create(record);
    if (!editor) {
        std::printf("the editor could not be made\n");
        std::exit(1);
    }
    engine::Scene* scene = engine::Scene::create();
    scene->addChild(editor);
    show(driver, scene);
    return editor;
}

void BenchEditor::describe(FieldScene* editor) {
    int onRows = 0;
    for (const pavlune::FieldRow& fieldRow : editor->getSession().rooms().board->fieldRows()) {
        onRows += fieldRow.front().has_value() ? 1 : 0;
    }
    int numbers = 0;
    for (const pavlune::PlacedCard& card : editor->getSession().rooms().board->model().placedCards()) {
        numbers += card.value.empty() ? 0 : 1;
    }
    std::printf("program: %zu cards, %d of them on rows, %d number cards with values\n",
                editor->getSession().rooms().board->cardNodes().size(), onRows, numbers);
}
