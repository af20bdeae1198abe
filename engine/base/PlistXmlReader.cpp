#include "engine/base/PlistXmlReader.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

namespace engine {

namespace {

using Verdict = PlistGuard::Verdict;

struct DocumentDeleter {
    void operator()(xmlDoc* document) const { xmlFreeDoc(document); }
};

bool named(const xmlNode* node, const char* name) {
    return xmlStrEqual(node->name, reinterpret_cast<const xmlChar*>(name)) != 0;
}

std::string trimmed(const std::string& text) {
    const char* blanks = " \t\r\n";
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// 0..63 for a base64 letter, -1 for a blank, -2 for anything else.
int base64Value(unsigned char c) {
    if (c >= 'A' && c <= 'Z') {
        return c - 'A';
    }
    if (c >= 'a' && c <= 'z') {
        return c - 'a' + 26;
    }
    if (c >= '0' && c <= '9') {
        return c - '0' + 52;
    }
    if (c == '+' || c == '/') {
        return c == '+' ? 62 : 63;
    }
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' ? -1 : -2;
}

std::optional<std::string> decodeBase64(const std::string& text) {
    std::string bytes;
    std::uint32_t bits = 0;
    int held = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '=') {
            break; // padding ends the data
        }
        const int value = base64Value(c);
        if (value == -2) {
            return std::nullopt;
        }
        if (value < 0) {
            continue;
        }
        bits = (bits << 6) | static_cast<std::uint32_t>(value);
        held += 6;
        if (held >= 8) {
            held -= 8;
            bytes.push_back(static_cast<char>((bits >> held) & 0xFF));
        }
    }
    return bytes;
}

std::optional<long long> parseInteger(const std::string& text) {
    if (text.empty()) {
        return std::nullopt;
    }
    const bool negative = text[0] == '-';
    const std::size_t digits = negative || text[0] == '+' ? 1 : 0;
    const bool hexadecimal = text.compare(digits, 2, "0x") == 0 || text.compare(digits, 2, "0X") == 0;
    const char* start = text.c_str() + digits + (hexadecimal ? 2 : 0);
    if (*start == '\0' || *start == '-' || *start == '+') {
        return std::nullopt;
    }
    char* end = nullptr;
    errno = 0;
    const unsigned long long magnitude = std::strtoull(start, &end, hexadecimal ? 16 : 10);
    if (errno != 0 || *end != '\0' ||
        (negative && magnitude > static_cast<unsigned long long>(LLONG_MAX) + 1)) {
        return std::nullopt;
    }
    // Two's complement, as the integer is kept in 64 bits either way.
    return static_cast<long long>(negative ? 0 - magnitude : magnitude);
}

std::optional<double> parseReal(const std::string& text) {
    char* end = nullptr;
    const double number = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0') {
        return std::nullopt;
    }
    return number;
}

// Builds the Value of an element and of what it holds; the first failure
// stays in `verdict`.
class Converter {
public:
    explicit Converter(int maxDepth) : maxDepth_(maxDepth) {}

    std::optional<Value> root(const xmlNode* top) {
        if (!named(top, "plist")) {
            return value(top, 1);
        }
        const xmlNode* inner = nextElement(top->children);
        if (!inner || nextElement(inner->next)) {
            return refuse(Verdict::NotAPlist);
        }
        return value(inner, 1);
    }

    Verdict verdict() const { return verdict_; }

private:
    static const xmlNode* nextElement(const xmlNode* node) {
        while (node && node->type != XML_ELEMENT_NODE) {
            node = node->next;
        }
        return node;
    }

    std::optional<Value> refuse(Verdict verdict) {
        verdict_ = verdict;
        return std::nullopt;
    }

    // The text inside an element; nothing when it holds an element or an
    // entity that was not replaced.
    std::optional<std::string> text(const xmlNode* element) {
        std::string content;
        for (const xmlNode* child = element->children; child; child = child->next) {
            if (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE) {
                if (child->content) {
                    content += reinterpret_cast<const char*>(child->content);
                }
            } else if (child->type != XML_COMMENT_NODE && child->type != XML_PI_NODE) {
                return std::nullopt;
            }
        }
        return content;
    }

    // `depth`: the collections around the element, counting itself.
    std::optional<Value> value(const xmlNode* element, int depth) {
        const bool collection = named(element, "array") || named(element, "dict");
        if (collection && depth > maxDepth_) {
            return refuse(Verdict::TooDeep);
        }
        if (named(element, "array")) {
            ValueVector items;
            for (const xmlNode* child = nextElement(element->children); child;
                 child = nextElement(child->next)) {
                auto item = value(child, depth + 1);
                if (!item) {
                    return std::nullopt;
                }
                items.push_back(std::move(*item));
            }
            return Value(std::move(items));
        }
        if (named(element, "dict")) {
            return dict(element, depth);
        }
        if (named(element, "true") || named(element, "false")) {
            return Value(named(element, "true"));
        }
        const auto content = text(element);
        if (!content) {
            return refuse(Verdict::NotAPlist);
        }
        if (named(element, "string")) {
            return Value(*content);
        }
        if (named(element, "date")) {
            return Value::date(trimmed(*content));
        }
        std::optional<Value> result;
        if (named(element, "integer")) {
            if (const auto number = parseInteger(trimmed(*content))) {
                result = Value(*number);
            }
        } else if (named(element, "real")) {
            if (const auto number = parseReal(trimmed(*content))) {
                result = Value(*number);
            }
        } else if (named(element, "data")) {
            if (auto bytes = decodeBase64(*content)) {
                result = Value::data(std::move(*bytes));
            }
        }
        return result ? result : refuse(Verdict::NotAPlist);
    }

    std::optional<Value> dict(const xmlNode* element, int depth) {
        ValueMap entries;
        for (const xmlNode* key = nextElement(element->children); key;) {
            const xmlNode* item = nextElement(key->next);
            const auto name = named(key, "key") ? text(key) : std::nullopt;
            if (!name || !item) {
                return refuse(Verdict::NotAPlist);
            }
            auto entry = value(item, depth + 1);
            if (!entry) {
                return std::nullopt;
            }
            entries.insert_or_assign(*name, std::move(*entry));
            key = nextElement(item->next);
        }
        return Value(std::move(entries));
    }

    int maxDepth_;
    Verdict verdict_ = Verdict::Fits;
};

} // namespace

std::optional<Value> PlistXmlReader::read(const char* data, std::size_t size, int maxDepth,
                                          PlistGuard::Verdict& verdict) {
    static std::once_flag initialised;
    std::call_once(initialised, [] { xmlInitParser(); });
    verdict = Verdict::NotAPlist;
    if (!data || size == 0 || size > static_cast<std::size_t>(INT_MAX)) {
        return std::nullopt;
    }
    // Neither XML_PARSE_HUGE, nor XML_PARSE_NOENT, nor XML_PARSE_DTDLOAD.
    const int options =
        XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_NOBLANKS | XML_PARSE_COMPACT;
    const std::unique_ptr<xmlDoc, DocumentDeleter> document(
        xmlReadMemory(data, static_cast<int>(size), nullptr, nullptr, options));
    const xmlNode* top = document ? xmlDocGetRootElement(document.get()) : nullptr;
    if (!top) {
        return std::nullopt;
    }
    Converter converter(maxDepth);
    auto root = converter.root(top);
    verdict = root ? Verdict::Fits : converter.verdict();
    return root;
}

} // namespace engine
