#pragma once

#include <string>

namespace engine::ui {

class EditBox;

// What an EditBox reports while it is edited, in this order: editing did
// begin; text changed after every change of the text (not of an IME
// composition still being typed); on the return key, return and then the
// end of editing; when editing ends any other way (a touch outside the box,
// Escape, the box leaving the scene), only the end of editing.
class EditBoxDelegate {
public:
    // CANCEL: Escape, the user's way of leaving without the change (the
    // original engine reports it as UNKNOWN, like a touch outside).
    enum class EditBoxEndAction { UNKNOWN, TAB_TO_NEXT, TAB_TO_PREVIOUS, RETURN, CANCEL };

    virtual ~EditBoxDelegate() = default;

    virtual void editBoxEditingDidBegin(EditBox* /*editBox*/) {}
    virtual void editBoxEditingDidEnd(EditBox* /*editBox*/) {}
    virtual void editBoxTextChanged(EditBox* /*editBox*/, const std::string& /*text*/) {}
    virtual void editBoxReturn(EditBox* editBox) = 0;
    // Called just before editBoxEditingDidEnd, with the reason.
    virtual void editBoxEditingDidEndWithAction(EditBox* /*editBox*/, EditBoxEndAction /*action*/) {}
};

} // namespace engine::ui
