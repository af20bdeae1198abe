#include "store/SaveListRecovery.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstring>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <set>

using engine::Value;
using engine::ValueMap;
using engine::ValueVector;

namespace {

bool named(const xmlNode* node, const char* name) {
    return node->type == XML_ELEMENT_NODE &&
           std::strcmp(reinterpret_cast<const char*>(node->name), name) == 0;
}

std::string textOf(const xmlNode* node) {
    xmlChar* content = xmlNodeGetContent(node);
    std::string text = content ? reinterpret_cast<const char*>(content) : "";
    xmlFree(content);
    return text;
}

// The plist elements the list uses, as Values; whatever else is left out.
Value valueOf(const xmlNode* node) {
    if (named(node, "dict")) {
        ValueMap map;
        std::string key;
        bool haveKey = false;
        for (const xmlNode* child = node->children; child; child = child->next) {
            if (child->type != XML_ELEMENT_NODE) {
                continue;
            }
            if (named(child, "key")) {
                key = textOf(child);
                haveKey = true;
            } else if (haveKey) {
                map.emplace(key, valueOf(child));
                haveKey = false;
            }
        }
        return Value(std::move(map));
    }
    if (named(node, "array")) {
        ValueVector vector;
        for (const xmlNode* child = node->children; child; child = child->next) {
            if (child->type == XML_ELEMENT_NODE) {
                vector.push_back(valueOf(child));
            }
        }
        return Value(std::move(vector));
    }
    if (named(node, "integer")) {
        const std::string text = textOf(node);
        std::int64_t number = 0;
        const auto result = std::from_chars(text.data(), text.data() + text.size(), number);
        if (result.ec != std::errc() || result.ptr != text.data() + text.size()) {
            return Value(); // out of range or not a number: unreadable
        }
        return Value(number);
    }
    if (named(node, "string")) {
        return Value(textOf(node));
    }
    return Value();
}

std::optional<std::string> stringFor(const ValueMap& map, const char* key) {
    const Value& value = engine::valueForKey(map, key);
    if (value.getType() != Value::Type::STRING) {
        return std::nullopt;
    }
    return value.asString();
}

// An integer that, if present, must fit an identifier: a list holding one
// beyond the range is damaged, and its number is never narrowed.
bool fitsIdentifier(const Value& value) {
    if (value.getType() != Value::Type::INTEGER) {
        return true; // missing or not a number: read as 0 like any missing key
    }
    return value.asInt64() >= 0 && value.asInt64() <= INT_MAX;
}

} // namespace

bool SaveListRecovery::isSound(const Value& root) {
    if (root.getType() != Value::Type::MAP) {
        return false;
    }
    const ValueMap& list = root.asValueMap();
    const Value& datas = engine::valueForKey(list, "datas");
    if (datas.getType() != Value::Type::VECTOR || !fitsIdentifier(engine::valueForKey(list, "lastid"))) {
        return false;
    }
    return std::all_of(datas.asValueVector().begin(), datas.asValueVector().end(), [](const Value& element) {
        return element.getType() != Value::Type::MAP ||
               fitsIdentifier(engine::valueForKey(element.asValueMap(), "identifer"));
    });
}

std::optional<int> SaveListRecovery::usableIdentifier(const Value& value) {
    if (value.getType() != Value::Type::INTEGER) {
        return std::nullopt;
    }
    const std::int64_t number = value.asInt64();
    if (number < 1 || number > INT_MAX) {
        return std::nullopt;
    }
    return static_cast<int>(number);
}

SaveListRecovery SaveListRecovery::fromValue(const Value& root) {
    SaveListRecovery recovery;
    if (root.getType() != Value::Type::MAP) {
        return recovery;
    }
    const ValueMap& list = root.asValueMap();
    recovery.lastid = usableIdentifier(engine::valueForKey(list, "lastid")).value_or(0);
    const Value& datas = engine::valueForKey(list, "datas");
    if (datas.getType() != Value::Type::VECTOR) {
        return recovery;
    }
    std::set<int> seen;
    for (const Value& element : datas.asValueVector()) {
        if (element.getType() != Value::Type::MAP) {
            continue;
        }
        const ValueMap& map = element.asValueMap();
        const auto identifier = usableIdentifier(engine::valueForKey(map, "identifer"));
        if (!identifier || !seen.insert(*identifier).second) {
            continue;
        }
        recovery.entries.push_back(Entry{*identifier, stringFor(map, "title"), stringFor(map, "modify")});
    }
    return recovery;
}

SaveListRecovery SaveListRecovery::fromXmlBytes(const std::string& bytes) {
    if (bytes.empty() || bytes.size() > INT_MAX) {
        return {};
    }
    xmlDoc* document =
        xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), "list.plist", nullptr,
                      XML_PARSE_RECOVER | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_NONET);
    if (!document) {
        return {};
    }
    Value root;
    if (const xmlNode* top = xmlDocGetRootElement(document)) {
        // <plist><dict>...</dict></plist>, or a bare <dict> if the plist tag was lost.
        const xmlNode* dict = named(top, "dict") ? top : nullptr;
        for (const xmlNode* child = top->children; child && !dict; child = child->next) {
            if (named(child, "dict")) {
                dict = child;
            }
        }
        if (dict) {
            root = valueOf(dict);
        }
    }
    xmlFreeDoc(document);
    return fromValue(root);
}
