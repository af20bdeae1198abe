#pragma once

#include "program/QueGroup.h"

#include <cstddef>
#include <string>
#include <vector>

namespace pavlune {

// A que program: for each field row the groups it produces (possibly none),
// then padding up to the program image size.
struct QueProgram {
    std::vector<std::vector<QueGroup>> rows;
    // The program is padded with `padByte` up to this many bytes.
    int programImageSize = 0;
    char padByte = 0;

    // The instruction bytes of all groups.
    std::size_t instructionByteCount() const;
    // Bytes of padding after the instructions; none for a program that
    // already fills (or exceeds) the image.
    std::size_t paddingByteCount() const;
    // Every byte in sending order: the instructions, then the padding.
    std::string image() const;
};

} // namespace pavlune
