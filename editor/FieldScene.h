#pragma once

#include "engine/2d/Layer.h"
#include "engine/base/RefPtr.h"
#include "store/SaveData.h"
#include "widgets/FieldScrollViewDelegate.h"

namespace engine {
class Sprite;
}

class FieldScrollView;

// The editor screen of one program. For now it shows the empty white field
// and the back button, which returns to the list of saved programs; the
// palette, the cards, saving and the serial link come later. It writes
// nothing: an opened program's files stay as they are.
class FieldScene : public engine::Layer, public FieldScrollViewDelegate {
public:
    // `record` null starts a new program. Null when the layer cannot be made.
    static FieldScene* create(SaveData* record);
    virtual bool init(SaveData* record);

    SaveData* getSaveData() const { return record; }
    FieldScrollView* getFieldView() const { return fieldView; }
    engine::Sprite* getBackButton() const { return backButton; }

    // Replaces the running scene by a new list of saved programs.
    void goBack();

protected:
    FieldScene() = default;
    ~FieldScene() override;

private:
    using engine::Layer::init;
    void buildField();
    void buildBackButton();

    engine::RefPtr<SaveData> record;
    FieldScrollView* fieldView = nullptr;
    engine::Sprite* backButton = nullptr;
    bool leaving = false;
};
