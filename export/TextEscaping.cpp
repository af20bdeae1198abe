#include "export/TextEscaping.h"

namespace pavlune {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

void appendHex(std::string& out, unsigned char byte) {
    out += kHexDigits[byte >> 4];
    out += kHexDigits[byte & 0x0F];
}

// Format and bidirectional controls: invisible, yet they reorder or hide the
// text around them (U+202E turns "exe.txt" around), so they cannot pass
// into a message raw. The Unicode Cf characters, plus the line and paragraph
// separators, which break a line.
bool isInvisibleControl(unsigned int codePoint) {
    struct Range {
        unsigned int first;
        unsigned int last;
    };
    static constexpr Range ranges[] = {
        {0x00AD, 0x00AD},   {0x0600, 0x0605},   {0x061C, 0x061C},   {0x06DD, 0x06DD},   {0x070F, 0x070F},
        {0x0890, 0x0891},   {0x08E2, 0x08E2},   {0x180E, 0x180E},   {0x200B, 0x200F},   {0x2028, 0x202E},
        {0x2060, 0x2064},   {0x2066, 0x206F},   {0xFEFF, 0xFEFF},   {0xFFF9, 0xFFFB},   {0x110BD, 0x110BD},
        {0x110CD, 0x110CD}, {0x13430, 0x1343F}, {0x1BCA0, 0x1BCA3}, {0x1D173, 0x1D17A}, {0xE0001, 0xE0001},
        {0xE0020, 0xE007F},
    };
    for (const Range& range : ranges) {
        if (codePoint >= range.first && codePoint <= range.last) {
            return true;
        }
    }
    return false;
}

// Length of the well-formed UTF-8 sequence at the start of `text` (2 to 4
// bytes, no overlong forms, no surrogates, at most U+10FFFF, and a
// character that shows), or 0.
std::size_t utf8SequenceLength(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    unsigned int codePoint = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07u;
    } else {
        return 0;
    }
    if (text.size() < length) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) {
            return 0;
        }
        codePoint = (codePoint << 6) | (byte(i) & 0x3Fu);
    }
    const unsigned int smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    const bool valid = codePoint >= smallest[length] && codePoint <= 0x10FFFF &&
                       !(codePoint >= 0xD800 && codePoint <= 0xDFFF) &&
                       !(codePoint >= 0x80 && codePoint <= 0x9F) && !isInvisibleControl(codePoint);
    return valid ? length : 0;
}

} // namespace

std::string escapeText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80) {
            // Well-formed UTF-8 passes (C1, format and bidi controls excepted);
            // stray bytes are escaped.
            const std::size_t length = utf8SequenceLength(text.substr(i));
            if (length == 0) {
                out += "\\x";
                appendHex(out, byte);
            } else {
                out.append(text.substr(i, length));
                i += length - 1;
            }
            continue;
        }
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '"':
            out += "\\\"";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (byte < 0x20 || byte == 0x7F) {
                out += "\\x";
                appendHex(out, byte);
            } else {
                out += c;
            }
        }
    }
    return out;
}

std::string hexBytes(std::string_view bytes) {
    std::string out;
    for (const char c : bytes) {
        if (!out.empty()) {
            out += ' ';
        }
        appendHex(out, static_cast<unsigned char>(c));
    }
    return out;
}

} // namespace pavlune
