#pragma once

#include <string>

namespace pavlune {

// Why a serial port could not be opened, in words a teacher can act on, from
// the errno value the open left behind. Empty when nothing is known (0).
std::string describeOpenFailure(int error);

// The reason when the chosen port is no longer in the list at all.
std::string describeMissingSelection();

} // namespace pavlune
