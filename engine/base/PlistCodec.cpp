#include "engine/base/PlistCodec.h"

#include "engine/base/PlistXmlReader.h"
#include "engine/base/UtcTime.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <memory>
#include <plist/plist.h>
#include <vector>

namespace engine {

namespace {

// Seconds from the Unix epoch to 2001-01-01, the epoch of plist dates.
constexpr std::int64_t plistDateEpoch = 978307200;

struct PlistDeleter {
    void operator()(void* node) const { plist_free(static_cast<plist_t>(node)); }
};
using PlistPtr = std::unique_ptr<void, PlistDeleter>;

// XML 1.0 has no form, not even a character reference, for the control
// characters other than tab, line feed and carriage return, and libplist
// writes them raw (and stops a string at a NUL). Each becomes U+FFFD, so
// that every file written stays readable by any XML reader and nothing after
// a NUL is lost.
std::string withoutControlCharacters(std::string text) {
    static constexpr char kReplacement[] = "\xEF\xBF\xBD";
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') {
            text.replace(i, 1, kReplacement);
            i += 2;
        }
    }
    return text;
}

plist_t toNode(const Value& value);

plist_t arrayNode(const ValueVector& items) {
    plist_t array = plist_new_array();
    for (const Value& item : items) {
        if (plist_t node = toNode(item)) {
            plist_array_append_item(array, node);
        }
    }
    return array;
}

plist_t dictNode(const ValueMap& map) {
    std::vector<const ValueMap::value_type*> entries;
    entries.reserve(map.size());
    for (const auto& entry : map) {
        entries.push_back(&entry);
    }
    std::sort(entries.begin(), entries.end(),
              [](const auto* a, const auto* b) { return a->first < b->first; });
    plist_t dict = plist_new_dict();
    for (const auto* entry : entries) {
        if (plist_t node = toNode(entry->second)) {
            plist_dict_set_item(dict, withoutControlCharacters(entry->first).c_str(), node);
        }
    }
    return dict;
}

// The date node for the text that dateText made; a string node for text in
// another shape, so that nothing is lost.
plist_t dateNode(const std::string& text) {
    std::int64_t unixSeconds = 0;
    if (!parseUtcTime(text, unixSeconds)) {
        return plist_new_string(text.c_str());
    }
    const std::int64_t seconds = unixSeconds - plistDateEpoch;
    if (seconds < std::numeric_limits<std::int32_t>::min() ||
        seconds > std::numeric_limits<std::int32_t>::max()) {
        return plist_new_string(text.c_str());
    }
    return plist_new_date(static_cast<std::int32_t>(seconds), 0);
}

// A new plist node for `value`, or null for a value that has no plist form.
plist_t toNode(const Value& value) {
    switch (value.getType()) {
    case Value::Type::BYTE:
    case Value::Type::INTEGER:
    case Value::Type::UNSIGNED:
        return plist_new_uint(static_cast<std::uint64_t>(value.asInt64()));
    case Value::Type::FLOAT:
    case Value::Type::DOUBLE:
        return plist_new_real(value.asDouble());
    case Value::Type::BOOLEAN:
        return plist_new_bool(value.asBool() ? 1 : 0);
    case Value::Type::STRING:
        if (value.getTextForm() == Value::TextForm::DATA) {
            return plist_new_data(value.asString().data(), value.asString().size());
        }
        if (value.getTextForm() == Value::TextForm::DATE) {
            return dateNode(value.asString());
        }
        return plist_new_string(withoutControlCharacters(value.asString()).c_str());
    case Value::Type::VECTOR:
        return arrayNode(value.asValueVector());
    case Value::Type::MAP:
        return dictNode(value.asValueMap());
    default:
        return nullptr;
    }
}

std::string nodeToXml(plist_t root) {
    PlistPtr owner(root);
    char* xml = nullptr;
    std::uint32_t length = 0;
    plist_to_xml(root, &xml, &length);
    if (!xml) {
        return {};
    }
    std::string text(xml, length);
    plist_to_xml_free(xml);
    return text;
}

} // namespace

std::optional<Value> PlistCodec::parse(const char* data, std::size_t size, PlistGuard::Verdict* verdict) {
    PlistGuard::Verdict local = PlistGuard::Verdict::Fits;
    PlistGuard::Verdict& result = verdict ? *verdict : local;
    result = PlistGuard::check(data, size, PlistGuard::Limits());
    if (result != PlistGuard::Verdict::Fits) {
        return std::nullopt;
    }
    result = PlistGuard::Verdict::NotAPlist; // until libplist has read it
    if (size > std::numeric_limits<std::uint32_t>::max()) {
        return std::nullopt;
    }
    const auto length = static_cast<std::uint32_t>(size);
    std::string converted;
    if (plist_is_binary(data, length)) {
        // libplist asserts (aborts the process) when asked for a dictionary key
        // that holds a NUL byte, which a damaged binary file can contain. Its
        // XML writer copes with such keys, so a binary file is read by way of
        // XML, with control characters replaced as when writing. The guard has
        // bounded its depth and what it unfolds to, so libplist's recursion
        // and copies stay small.
        plist_t binary = nullptr;
        plist_from_bin(data, length, &binary);
        if (!binary) {
            return std::nullopt;
        }
        converted = withoutControlCharacters(nodeToXml(binary));
        if (converted.empty()) {
            return std::nullopt;
        }
        data = converted.data();
        size = converted.size();
    }
    return PlistXmlReader::read(data, size, PlistGuard::Limits().maxDepth, result);
}

std::string PlistCodec::toXml(const Value& root) {
    if (root.getType() == Value::Type::MAP) {
        return toXml(root.asValueMap());
    }
    if (root.getType() == Value::Type::VECTOR) {
        return toXml(root.asValueVector());
    }
    return {};
}

std::string PlistCodec::toXml(const ValueMap& root) {
    return nodeToXml(dictNode(root));
}

std::string PlistCodec::toXml(const ValueVector& root) {
    return nodeToXml(arrayNode(root));
}

} // namespace engine
