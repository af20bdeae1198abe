#pragma once

namespace pavlune {

// What the board (or a layer that listens to it) asks the editor to do.
enum class SerialCallType {
    run = 1,  // run the program on the board (as the play button)
    stop = 2, // stop it (as the stop button)
};

} // namespace pavlune
