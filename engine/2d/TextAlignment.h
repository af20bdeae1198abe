#pragma once

namespace engine {

// Where lines sit across a label's width.
enum class TextHAlignment { LEFT, CENTER, RIGHT };
// Where the block of lines sits in a label's height.
enum class TextVAlignment { TOP, CENTER, BOTTOM };

} // namespace engine
