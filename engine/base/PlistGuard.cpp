#include "engine/base/PlistGuard.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace engine {

namespace {

constexpr std::size_t kTrailerSize = 32;
constexpr std::size_t kHeaderSize = 8;
// What one value costs at least once unfolded, as its tag in the XML form.
constexpr std::size_t kValueBytes = 16;

std::uint64_t bigEndian(const unsigned char* bytes, std::size_t count) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < count; ++i) {
        value = (value << 8) | bytes[i];
    }
    return value;
}

// The binary plist's trailer and offset table, as read from the file.
struct BinaryLayout {
    const unsigned char* data = nullptr;
    std::size_t size = 0;
    std::size_t offsetSize = 0;
    std::size_t refSize = 0;
    std::uint64_t objectCount = 0;
    std::uint64_t topObject = 0;
    std::uint64_t tableOffset = 0;

    bool read(const unsigned char* bytes, std::size_t length) {
        data = bytes;
        size = length;
        if (size < kHeaderSize + kTrailerSize) {
            return false;
        }
        const unsigned char* trailer = data + size - kTrailerSize;
        offsetSize = trailer[6];
        refSize = trailer[7];
        objectCount = bigEndian(trailer + 8, 8);
        topObject = bigEndian(trailer + 16, 8);
        tableOffset = bigEndian(trailer + 24, 8);
        const std::size_t tableEnd = size - kTrailerSize;
        return offsetSize >= 1 && offsetSize <= 8 && refSize >= 1 && refSize <= 8 && objectCount > 0 &&
               topObject < objectCount && tableOffset >= kHeaderSize && tableOffset <= tableEnd &&
               objectCount <= (tableEnd - tableOffset) / offsetSize;
    }

    // Where object `index` starts, or 0 when the offset points outside the objects.
    std::size_t objectStart(std::uint64_t index) const {
        const std::uint64_t offset = bigEndian(data + tableOffset + index * offsetSize, offsetSize);
        return offset >= kHeaderSize && offset < tableOffset ? static_cast<std::size_t>(offset) : 0;
    }
};

// The count of an object whose marker is at `at`: its low nibble, or the
// integer that follows when the nibble is 0xF. `next` is set to the first
// byte after the count. False when the count runs past `end`.
bool readCount(const unsigned char* data, std::size_t at, std::size_t end, std::uint64_t& count,
               std::size_t& next) {
    count = data[at] & 0x0F;
    next = at + 1;
    if (count != 0x0F) {
        return true;
    }
    if (next >= end || (data[next] & 0xF0) != 0x10) {
        return false;
    }
    const std::size_t width = std::size_t{1} << (data[next] & 0x0F);
    if (width > 8 || end - next - 1 < width) {
        return false;
    }
    count = bigEndian(data + next + 1, width);
    next += 1 + width;
    return true;
}

using Verdict = PlistGuard::Verdict;
using Limits = PlistGuard::Limits;
// Objects still to visit: index and nesting depth.
using Pending = std::vector<std::pair<std::uint64_t, int>>;

// Whether a value of fixed size (null, boolean, integer, real, date, uid)
// whose marker is at `at` ends before `end`.
bool scalarFits(unsigned kind, unsigned nibble, std::size_t at, std::size_t end) {
    switch (kind) {
    case 0x0: // null, booleans, fill
        return true;
    case 0x1: // integer
    case 0x2: // real
        return nibble <= 4 && end - at - 1 >= (std::size_t{1} << nibble);
    case 0x3: // date
        return end - at - 1 >= 8;
    case 0x8: // uid
        return end - at - 1 >= nibble + 1u;
    default:
        return false;
    }
}

// Data, ASCII, UTF-16 or UTF-8 string (kinds 4 to 7); its bytes are added
// to `unfolded`.
Verdict checkString(const unsigned char* data, unsigned kind, std::size_t at, std::size_t end,
                    const Limits& limits, std::size_t& unfolded) {
    std::uint64_t count = 0;
    std::size_t next = 0;
    if (!readCount(data, at, end, count, next)) {
        return Verdict::NotAPlist;
    }
    if (count > limits.maxStringBytes || (kind == 0x6 && count * 2 > limits.maxStringBytes)) {
        return Verdict::StringTooLong;
    }
    const std::uint64_t bytes = kind == 0x6 ? count * 2 : count;
    if (bytes > end - next) {
        return Verdict::NotAPlist;
    }
    unfolded += static_cast<std::size_t>(bytes);
    return unfolded > limits.maxUnfoldedBytes ? Verdict::TooLarge : Verdict::Fits;
}

// Array, ordered set, set or dictionary (kinds A to D; a dictionary holds
// its keys, then its values): its references go on `pending`.
Verdict checkCollection(const BinaryLayout& layout, unsigned kind, std::size_t at, int depth,
                        std::size_t visited, const Limits& limits, Pending& pending) {
    const auto end = static_cast<std::size_t>(layout.tableOffset);
    std::uint64_t count = 0;
    std::size_t next = 0;
    if (!readCount(layout.data, at, end, count, next)) {
        return Verdict::NotAPlist;
    }
    if (depth > limits.maxDepth) {
        return Verdict::TooDeep;
    }
    const std::uint64_t refs = kind == 0xD ? count * 2 : count;
    if (count > limits.maxElements || refs > limits.maxElements - visited - pending.size()) {
        return Verdict::TooManyElements;
    }
    if (refs > (end - next) / layout.refSize) {
        return Verdict::NotAPlist;
    }
    for (std::uint64_t i = 0; i < refs; ++i) {
        const std::uint64_t ref = bigEndian(layout.data + next + i * layout.refSize, layout.refSize);
        if (ref >= layout.objectCount) {
            return Verdict::NotAPlist;
        }
        pending.emplace_back(ref, depth + 1);
    }
    return Verdict::Fits;
}

// Steps through XML markup from one '<' to past its end.
struct XmlScan {
    const char* p;
    const char* end;

    bool startsWith(const char* marker) const {
        const std::size_t length = std::strlen(marker);
        return static_cast<std::size_t>(end - p) >= length && std::memcmp(p, marker, length) == 0;
    }
    void skipPast(const char* marker) {
        const std::size_t length = std::strlen(marker);
        while (p < end && !startsWith(marker)) {
            ++p;
        }
        p = p < end ? p + length : end;
    }
    // Past the quote at `p` and the text up to its partner.
    void skipQuoted() {
        const char quote = *p;
        const void* partner = std::memchr(p + 1, quote, static_cast<std::size_t>(end - p - 1));
        p = partner ? static_cast<const char*>(partner) + 1 : end;
    }
    // A declaration, possibly with an internal subset in brackets. Inside the
    // subset, comments, processing instructions and quoted values may hold
    // brackets and '>' of their own; a ']' before any '[' opens nothing.
    void skipDeclaration() {
        bool inSubset = false;
        for (++p; p < end;) {
            if (*p == '"' || *p == '\'') {
                skipQuoted();
            } else if (inSubset && startsWith("<!--")) {
                skipPast("-->");
            } else if (inSubset && startsWith("<?")) {
                skipPast("?>");
            } else if (*p == '[') {
                inSubset = true;
                ++p;
            } else if (*p == ']') {
                inSubset = false;
                ++p;
            } else if (*p == '>' && !inSubset) {
                ++p;
                return;
            } else {
                ++p;
            }
        }
    }
    // A start or empty tag, its quoted attribute values skipped whole; true
    // when it closes itself ("/>"). An attribute value cannot hold '<': a
    // quote that runs into one was never closed, and the tag ends there so
    // that the markup behind it is still counted.
    bool skipTag() {
        char quote = 0;
        char previous = 0;
        for (++p; p < end; ++p) {
            if (quote && *p == '<') {
                return false;
            }
            if (quote) {
                quote = *p == quote ? '\0' : quote;
            } else if (*p == '"' || *p == '\'') {
                quote = *p;
            } else if (*p == '>') {
                break;
            }
            previous = *p;
        }
        p = p < end ? p + 1 : end;
        return previous == '/';
    }
};

} // namespace

PlistGuard::Verdict PlistGuard::check(const char* data, std::size_t size, const Limits& limits) {
    if (!data || size == 0) {
        return Verdict::NotAPlist;
    }
    if (size > limits.maxBytes) {
        return Verdict::TooLarge;
    }
    if (size >= kHeaderSize && std::memcmp(data, "bplist00", kHeaderSize) == 0) {
        return checkBinary(reinterpret_cast<const unsigned char*>(data), size, limits);
    }
    return checkXml(data, size, limits);
}

PlistGuard::Verdict PlistGuard::checkBinary(const unsigned char* data, std::size_t size,
                                            const Limits& limits) {
    BinaryLayout layout;
    if (!layout.read(data, size)) {
        return Verdict::NotAPlist;
    }
    const auto end = static_cast<std::size_t>(layout.tableOffset);
    // Depth first without recursion. Every reference is followed, so an
    // object named twice counts twice, as it unfolds when converted; a
    // reference cycle ends at the depth limit. The bytes of every value are
    // counted as they unfold, each value at least kValueBytes.
    Pending pending{{layout.topObject, 1}};
    std::size_t visited = 0;
    std::size_t unfolded = 0;
    while (!pending.empty()) {
        const auto [index, depth] = pending.back();
        pending.pop_back();
        if (++visited > limits.maxElements) {
            return Verdict::TooManyElements;
        }
        unfolded += kValueBytes;
        const std::size_t at = layout.objectStart(index);
        if (at == 0) {
            return Verdict::NotAPlist;
        }
        const unsigned kind = data[at] >> 4;
        Verdict verdict = Verdict::Fits;
        if (kind >= 0x4 && kind <= 0x7) {
            verdict = checkString(data, kind, at, end, limits, unfolded);
        } else if (kind >= 0xA && kind <= 0xD) {
            verdict = checkCollection(layout, kind, at, depth, visited, limits, pending);
        } else if (!scalarFits(kind, data[at] & 0x0Fu, at, end)) {
            verdict = Verdict::NotAPlist;
        }
        if (verdict != Verdict::Fits) {
            return verdict;
        }
    }
    return Verdict::Fits;
}

PlistGuard::Verdict PlistGuard::checkXml(const char* data, std::size_t size, const Limits& limits) {
    // Counts the levels of open elements. Comments, CDATA sections,
    // processing instructions and declarations open none; quoted attribute
    // values are skipped, so a '>' or "/>" inside one does not end a tag.
    // Erring towards more depth is harmless: a plist needs only a few levels.
    XmlScan scan{data, data + size};
    int depth = 0;
    std::size_t elements = 0;
    const char* textStart = scan.p;
    while (scan.p < scan.end) {
        scan.p =
            static_cast<const char*>(std::memchr(scan.p, '<', static_cast<std::size_t>(scan.end - scan.p)));
        if (!scan.p) {
            break;
        }
        if (static_cast<std::size_t>(scan.p - textStart) > limits.maxStringBytes) {
            return Verdict::StringTooLong;
        }
        if (scan.startsWith("<!--")) {
            scan.skipPast("-->");
        } else if (scan.startsWith("<![CDATA[")) {
            const char* contentStart = scan.p;
            scan.skipPast("]]>");
            if (static_cast<std::size_t>(scan.p - contentStart) > limits.maxStringBytes) {
                return Verdict::StringTooLong;
            }
        } else if (scan.startsWith("<?")) {
            scan.skipPast("?>");
        } else if (scan.startsWith("<!")) {
            scan.skipDeclaration();
        } else if (scan.startsWith("</")) {
            scan.skipPast(">");
            depth = std::max(depth - 1, 0);
        } else {
            const bool closesItself = scan.skipTag();
            if (++elements > limits.maxElements) {
                return Verdict::TooManyElements;
            }
            if (!closesItself && ++depth > limits.maxDepth) {
                return Verdict::TooDeep;
            }
        }
        textStart = scan.p;
    }
    if (static_cast<std::size_t>(scan.end - textStart) > limits.maxStringBytes) {
        return Verdict::StringTooLong;
    }
    return Verdict::Fits;
}

} // namespace engine
