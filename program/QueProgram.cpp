#include "program/QueProgram.h"

namespace pavlune {

std::size_t QueProgram::instructionByteCount() const {
    std::size_t count = 0;
    for (const auto& row : rows) {
        for (const QueGroup& group : row) {
            count += group.bytes.size();
        }
    }
    return count;
}

std::size_t QueProgram::paddingByteCount() const {
    const std::size_t imageSize = programImageSize > 0 ? static_cast<std::size_t>(programImageSize) : 0;
    const std::size_t used = instructionByteCount();
    return used < imageSize ? imageSize - used : 0;
}

std::string QueProgram::image() const {
    std::string bytes;
    for (const auto& row : rows) {
        for (const QueGroup& group : row) {
            bytes.append(group.bytes.begin(), group.bytes.end());
        }
    }
    bytes.append(paddingByteCount(), padByte);
    return bytes;
}

} // namespace pavlune
