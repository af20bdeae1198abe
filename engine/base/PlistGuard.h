#pragma once

#include <cstddef>
#include <cstdint>

namespace engine {

// Looks at property-list bytes before libplist does. libplist recurses once
// per nesting level, both when it parses and when it converts, so a file of
// some ten thousand nested arrays overflows the stack; a binary file may also
// name the same array many times over and so unfold into far more values than
// its bytes suggest. XML is scanned for depth with its declarations,
// internal subsets, comments, CDATA and quotes understood. The guard walks the file without recursion and
// refuses what lies beyond the limits, leaving libplist only files it can handle.
class PlistGuard {
public:
    struct Limits {
        // Whole file. A program of the field's size or a list of a few
        // thousand programs is well below it.
        std::size_t maxBytes = 16u << 20;
        // Collections inside one another (a list needs three, a program two).
        int maxDepth = 64;
        // Values of the whole file, counting every key and every element.
        std::size_t maxElements = 1u << 19;
        // One string, key or data block.
        std::size_t maxStringBytes = 1u << 20;
        // A binary file once its shared values are unfolded: the bytes of
        // every string, key and data block each time it is named, and at
        // least 16 per value. Equal to maxBytes, so that a binary file holds
        // no more than an XML file may (a list of 2,000 programs with short
        // titles unfolds to well under 1 MB).
        std::size_t maxUnfoldedBytes = 16u << 20;
    };

    enum class Verdict {
        Fits,
        NotAPlist,       // neither an XML plist nor a well-formed binary one
        TooLarge,        // more bytes than maxBytes, or unfolded than maxUnfoldedBytes
        TooDeep,         // more levels than maxDepth
        TooManyElements, // more values than maxElements
        StringTooLong,   // a string, key or data block beyond maxStringBytes
    };

    // Binary plists are checked completely (a malformed one is NotAPlist);
    // XML only for size, depth and the number of tags, leaving the syntax
    // to the parser.
    static Verdict check(const char* data, std::size_t size, const Limits& limits);

private:
    static Verdict checkBinary(const unsigned char* data, std::size_t size, const Limits& limits);
    static Verdict checkXml(const char* data, std::size_t size, const Limits& limits);
};

} // namespace engine
