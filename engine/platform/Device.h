#pragma once

namespace engine {

// Facts about the screen the application runs on.
class Device {
public:
    // Dots per inch of the main display, as SDL reports it horizontally;
    // 96 (the desktop's nominal density) when there is no display to ask, as
    // in headless runs, so that distances in inches stay deterministic there.
    static int getDPI();

    static constexpr int kDefaultDPI = 96;
};

} // namespace engine
