#pragma once

class FieldScrollView;

// What the owner of a FieldScrollView hears about. Both calls do nothing
// unless overridden.
class FieldScrollViewDelegate {
public:
    virtual ~FieldScrollViewDelegate() = default;

    // The content offset was set by the view, and on every frame of an
    // animated scroll.
    virtual void scrollViewDidScroll(FieldScrollView* view) { (void)view; }
    // The zoom changed; sent before the offset is corrected around the centre.
    virtual void scrollViewDidZoom(FieldScrollView* view) { (void)view; }
};
