#pragma once

#include "widgets/ScreenNavigator.h"

// Knows both screens: opens the editor with a slide from the bottom and the
// list with a slide from the top.
class AppNavigator : public ScreenNavigator {
public:
    bool openEditor(SaveData* record) override;
    bool openList() override;
};
