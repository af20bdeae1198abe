#pragma once

#include "app/FieldScrollViewDelegate.h"
#include "engine/2d/Layer.h"

namespace engine {
class Sprite;
}

class FieldScrollView;
class SaveData;

// The editor screen of one program. For now it shows the empty white field
// and the back button, which returns to the list of saved programs; the
// palette, the cards, saving and the serial link come later. It writes
// nothing: an opened program's files stay as they are.
class FieldScene : public engine::Layer, public FieldScrollViewDelegate {
public:
    static constexpr float kTransitionDuration = 0.5f;
    static constexpr std::uint8_t kPressedOpacity = 192;

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

    SaveData* record = nullptr;
    FieldScrollView* fieldView = nullptr;
    engine::Sprite* backButton = nullptr;
    bool leaving = false;
};
