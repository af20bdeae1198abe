#include "editor/ProgramPicture.h"

#include "editor/EditorChoices.h"
#include "editor/cards/CardSprite.h"
#include "editor/field/FieldBoard.h"
#include "engine/2d/Director.h"
#include "engine/2d/LayerColor.h"
#include "engine/base/RefPtr.h"
#include "store/SaveDataManager.h"
#include "widgets/Design.h"
#include "widgets/FieldScrollView.h"

void ProgramPicture::draw(SaveData* record, const engine::ValueVector& program, FieldThumbnail::Done done) {
    const engine::Size visible = engine::Director::getInstance()->getVisibleSize();
    const engine::RefPtr<FieldScrollView> view(FieldScrollView::create(visible));
    engine::RenderTexture* picture = nullptr;
    if (view) {
        // The editor's sheet: white paper of the same size under the rows.
        const auto sheetHeight = static_cast<float>(visible.height * design::kFieldHeightFactor);
        view->setContentSize(
            engine::Size(static_cast<float>(visible.width * design::kFieldWidthFactor), sheetHeight));
        if (auto* paper =
                engine::LayerColor::create(engine::Color4B::WHITE, visible.width * 2, sheetHeight)) {
            paper->setPosition(-visible.width / 2, 0);
            view->addChild(paper);
        }
        const EditorChoices choices;
        if (const std::unique_ptr<FieldBoard> board = FieldBoard::create(view.get(), nullptr, choices)) {
            board->load(program);
            picture = FieldThumbnail::capture(view->container, visible,
                                              FieldThumbnail::pictureOffset(board->model(), visible));
        }
    }
    FieldThumbnail::write(SaveDataManager::getInstance(), record, picture, std::move(done));
}
