#pragma once

#include "engine/2d/Layer.h"

#include <cstddef>

// A layer of many children that each draw within their own content
// rectangle (cards, row plates, buttons, labels), most of them out of sight:
// with culling on, a child whose rectangle lies wholly outside the clip in
// force is skipped with everything it holds, so only what can show costs a
// frame. A child with no content size, or turned out of the screen's plane,
// is always drawn. Hit tests and touches do not depend on drawing and are
// unchanged.
class CullingLayer : public engine::Layer {
public:
    CREATE_FUNC(CullingLayer);

    // Off: every child is drawn (children that draw outside their rectangle).
    void setCulling(bool on) { culling_ = on; }

    void visit(engine::Renderer* renderer, const engine::Mat4& parentTransform,
               std::uint32_t parentFlags) override;

    // How many children the last visit drew and skipped.
    std::size_t drawnChildren() const { return drawn_; }
    std::size_t skippedChildren() const { return skipped_; }

protected:
    CullingLayer() = default;

private:
    bool culling_ = false;
    std::size_t drawn_ = 0;
    std::size_t skipped_ = 0;
};
