#pragma once

#include "saves/SaveItemView.h"

// The first entry of the list: starts a new program. Its title is fixed and
// tapping it does nothing.
class SaveItemAddView : public SaveItemView {
public:
    static SaveItemAddView* create();

    void titleTapped() override;

protected:
    SaveItemAddView() = default;
    bool init() override;
};
