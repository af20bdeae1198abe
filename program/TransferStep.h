#pragma once

#include <cstdint>
#include <string>

namespace pavlune {

// One step of a conversation with the board, in the order it is carried out.
struct TransferStep {
    enum class Kind {
        write,     // one byte to the port
        pause,     // wait `milliseconds` after the last write, on the schedule
        echo,      // show `text` in the sending overlay
        stopCheck, // end here when the user asked for a stop
    };

    Kind kind = Kind::write;
    std::uint8_t byte = 0; // write
    int milliseconds = 0;  // pause: the nominal length
    // pause: where the schedule stands once it is over, in microseconds from
    // the start (every pause so far plus the line time of the bytes before)
    long long dueMicroseconds = 0;
    std::string text; // echo

    bool operator==(const TransferStep&) const = default;
};

} // namespace pavlune
