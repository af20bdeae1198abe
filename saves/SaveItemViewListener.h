#pragma once

class SaveItemView;

// Receives what the user does with an entry of the saved-program list. The
// entries only report; the list decides what each gesture means.
class SaveItemViewListener {
public:
    // The picture was tapped (released within 2.3 s without dragging the list).
    virtual void onItemTapped(SaveItemView* item) = 0;
    // The title of a saved program was tapped.
    virtual void onTitleTapped(SaveItemView* item) = 0;
    // The picture was held still for 2.3 s.
    virtual void onItemLongPressed(SaveItemView* item) = 0;

protected:
    virtual ~SaveItemViewListener() = default;
};
