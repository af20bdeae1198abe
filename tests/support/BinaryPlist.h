#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Builds binary property lists byte by byte, as the format describes them:
// "bplist00", the objects, a table of 4-byte offsets, and the 32-byte trailer
// (offset size, reference size, object count, top object, table offset).
// References are 4 bytes. Object 0 is the top.
class BinaryPlist {
public:
    static std::string ref(std::uint32_t index) { return bigEndian(index, 4); }
    static std::string array(const std::vector<std::uint32_t>& refs) {
        return collection(0xA0, refs.size(), refs);
    }
    // Keys and values: the references of all keys, then those of all values.
    static std::string dict(const std::vector<std::uint32_t>& keys,
                            const std::vector<std::uint32_t>& values) {
        std::vector<std::uint32_t> refs = keys;
        refs.insert(refs.end(), values.begin(), values.end());
        return collection(0xD0, keys.size(), refs);
    }
    static std::string ascii(const std::string& text) {
        if (text.size() < 15) {
            return std::string(1, static_cast<char>(0x50 | text.size())) + text;
        }
        return std::string("\x5F\x13", 2) + bigEndian(text.size(), 8) + text; // count as an 8-byte integer
    }
    static std::string integer(std::uint8_t value) {
        return std::string("\x10", 1) + static_cast<char>(value);
    }

    void add(std::string object) { objects_.push_back(std::move(object)); }

    std::string bytes() const {
        std::string file = "bplist00";
        std::vector<std::uint64_t> offsets;
        for (const std::string& object : objects_) {
            offsets.push_back(file.size());
            file += object;
        }
        const std::uint64_t table = file.size();
        for (const std::uint64_t offset : offsets) {
            file += bigEndian(offset, 4);
        }
        file += std::string(6, '\0');
        file += '\x04'; // offset size
        file += '\x04'; // reference size
        file += bigEndian(objects_.size(), 8) + bigEndian(0, 8) + bigEndian(table, 8);
        return file;
    }

private:
    // A marker with its count in the low nibble, or 0xF and the count as a 4-byte integer.
    static std::string collection(unsigned marker, std::size_t count,
                                  const std::vector<std::uint32_t>& refs) {
        std::string object(1, static_cast<char>(marker | (count < 15 ? count : 0x0F)));
        if (count >= 15) {
            // Appended in two steps: "literal" + string&& trips GCC 12's -Wrestrict.
            object += '\x12';
            object += bigEndian(count, 4);
        }
        for (const std::uint32_t index : refs) {
            object += ref(index);
        }
        return object;
    }
    static std::string bigEndian(std::uint64_t value, int width) {
        std::string out(static_cast<std::size_t>(width), '\0');
        for (int i = width - 1; i >= 0; --i, value >>= 8) {
            out[static_cast<std::size_t>(i)] = static_cast<char>(value & 0xFF);
        }
        return out;
    }

    std::vector<std::string> objects_;
};

// Arrays inside one another `depth` times, as XML and as a binary plist.
inline std::string nestedArraysXml(int depth) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">";
    for (int i = 0; i < depth; ++i) {
        xml += "<array>";
    }
    for (int i = 0; i < depth; ++i) {
        xml += "</array>";
    }
    return xml + "</plist>\n";
}

inline std::string nestedArraysBinary(int depth) {
    BinaryPlist plist;
    for (int i = 0; i + 1 < depth; ++i) {
        plist.add(BinaryPlist::array({static_cast<std::uint32_t>(i + 1)}));
    }
    plist.add(BinaryPlist::array({}));
    return plist.bytes();
}

// A file of a few kilobytes that unfolds into `14^levels` copies of one
// string of `stringBytes`: each of `levels` arrays names the one below it 14
// times. With a `key`, the top is a dictionary holding the arrays under it
// (as a list holds "datas").
inline std::string sharedStringsBinary(int levels, std::size_t stringBytes, const std::string& key = "") {
    BinaryPlist plist;
    const std::uint32_t first = key.empty() ? 0 : 2;
    if (!key.empty()) {
        plist.add(BinaryPlist::dict({1}, {2}));
        plist.add(BinaryPlist::ascii(key));
    }
    for (int level = 0; level < levels; ++level) {
        plist.add(BinaryPlist::array(
            std::vector<std::uint32_t>(14, first + static_cast<std::uint32_t>(level) + 1)));
    }
    plist.add(BinaryPlist::ascii(std::string(stringBytes, 'a')));
    return plist.bytes();
}
