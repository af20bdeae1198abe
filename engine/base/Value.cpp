#include "engine/base/Value.h"

#include "engine/base/DecimalText.h"

#include <cmath>
#include <cstdlib>
#include <iomanip>
#include <limits>
#include <ostream>
#include <sstream>

namespace engine {

namespace {

const ValueVector emptyVector;
const ValueMap emptyMap;

const char* skipLeadingSpaceAndPlus(const char* text, const char* end) {
    while (text < end && (*text == ' ' || *text == '\t' || *text == '\n' || *text == '\r' || *text == '\f' ||
                          *text == '\v')) {
        ++text;
    }
    if (text < end && *text == '+') {
        ++text;
    }
    return text;
}

// Like atoi/atoll: leading white space, an optional sign, then as many digits
// as there are; anything unparseable reads as 0. Out-of-range text saturates
// instead of being undefined.
std::int64_t parseInteger(const std::string& text) {
    char* end = nullptr;
    const long long parsed = std::strtoll(text.c_str(), &end, 10);
    if (end == text.c_str()) {
        return 0;
    }
    return parsed; // strtoll saturates at LLONG_MIN/LLONG_MAX on overflow
}

// Like atof, but independent of the process locale: "0.5" is a half even when
// the C library was told to use a decimal comma.
double parseReal(const std::string& text) {
    const char* begin = text.data();
    const char* end = begin + text.size();
    begin = skipLeadingSpaceAndPlus(begin, end);
    return parseDecimal(begin, end);
}

template <typename Int> Int saturate(double v) {
    if (std::isnan(v)) {
        return 0;
    }
    constexpr double lowest = static_cast<double>(std::numeric_limits<Int>::lowest());
    // 2^bits is exactly representable; the largest Int may not be.
    constexpr double limit = static_cast<double>(std::numeric_limits<Int>::max()) + 1.0;
    if (v <= lowest) {
        return std::numeric_limits<Int>::lowest();
    }
    if (v >= limit) {
        return std::numeric_limits<Int>::max();
    }
    return static_cast<Int>(v);
}

} // namespace

const Value Value::Null;

Value::Value() = default;

Value::Value(unsigned char v) : type_(Type::BYTE) {
    number_.integer = v;
}
Value::Value(int v) : type_(Type::INTEGER) {
    number_.integer = v;
}
Value::Value(unsigned int v) : type_(Type::UNSIGNED) {
    number_.integer = v;
}
Value::Value(long v) : type_(Type::INTEGER) {
    number_.integer = v;
}
Value::Value(long long v) : type_(Type::INTEGER) {
    number_.integer = v;
}
Value::Value(unsigned long v) : type_(Type::INTEGER) {
    number_.integer = static_cast<std::int64_t>(v);
}
Value::Value(unsigned long long v) : type_(Type::INTEGER) {
    number_.integer = static_cast<std::int64_t>(v);
}
Value::Value(float v) : type_(Type::FLOAT) {
    number_.floatValue = v;
}
Value::Value(double v) : type_(Type::DOUBLE) {
    number_.doubleValue = v;
}
Value::Value(bool v) : type_(Type::BOOLEAN) {
    number_.boolValue = v;
}
Value::Value(const char* v) : type_(Type::STRING), string_(new std::string(v ? v : "")) {}
Value::Value(std::string v) : type_(Type::STRING), string_(new std::string(std::move(v))) {}
Value::Value(ValueVector v) : type_(Type::VECTOR), vector_(new ValueVector(std::move(v))) {}
Value::Value(ValueMap v) : type_(Type::MAP), map_(new ValueMap(std::move(v))) {}

Value Value::data(std::string bytes) {
    Value value(std::move(bytes));
    value.textForm_ = TextForm::DATA;
    return value;
}

Value Value::date(std::string isoText) {
    Value value(std::move(isoText));
    value.textForm_ = TextForm::DATE;
    return value;
}

Value::Value(const Value& other) {
    copyFrom(other);
}

Value::Value(Value&& other) noexcept {
    moveFrom(other);
}

Value& Value::operator=(const Value& other) {
    if (this != &other) {
        // Copy first: `other` may live inside this value's own collection.
        Value copy(other);
        reset(Type::NONE);
        moveFrom(copy);
    }
    return *this;
}

Value& Value::operator=(Value&& other) noexcept {
    if (this != &other) {
        Value taken;
        taken.moveFrom(other);
        reset(Type::NONE);
        moveFrom(taken);
    }
    return *this;
}

Value::~Value() {
    reset(Type::NONE);
}

Value& Value::operator=(int v) {
    return *this = Value(v);
}
Value& Value::operator=(unsigned int v) {
    return *this = Value(v);
}
Value& Value::operator=(long long v) {
    return *this = Value(v);
}
Value& Value::operator=(float v) {
    return *this = Value(v);
}
Value& Value::operator=(double v) {
    return *this = Value(v);
}
Value& Value::operator=(bool v) {
    return *this = Value(v);
}
Value& Value::operator=(const char* v) {
    return *this = Value(v);
}
Value& Value::operator=(std::string v) {
    return *this = Value(std::move(v));
}
Value& Value::operator=(ValueVector v) {
    return *this = Value(std::move(v));
}
Value& Value::operator=(ValueMap v) {
    return *this = Value(std::move(v));
}

void Value::reset(Type type) {
    delete string_;
    delete vector_;
    delete map_;
    string_ = nullptr;
    vector_ = nullptr;
    map_ = nullptr;
    number_.integer = 0;
    type_ = type;
    textForm_ = TextForm::PLAIN;
}

void Value::copyFrom(const Value& other) {
    type_ = other.type_;
    textForm_ = other.textForm_;
    number_ = other.number_;
    string_ = other.string_ ? new std::string(*other.string_) : nullptr;
    vector_ = other.vector_ ? new ValueVector(*other.vector_) : nullptr;
    map_ = other.map_ ? new ValueMap(*other.map_) : nullptr;
}

void Value::moveFrom(Value& other) noexcept {
    type_ = other.type_;
    textForm_ = other.textForm_;
    number_ = other.number_;
    string_ = other.string_;
    vector_ = other.vector_;
    map_ = other.map_;
    other.string_ = nullptr;
    other.vector_ = nullptr;
    other.map_ = nullptr;
    other.type_ = Type::NONE;
    other.textForm_ = TextForm::PLAIN;
    other.number_.integer = 0;
}

bool Value::isNumber() const {
    switch (type_) {
    case Type::BYTE:
    case Type::INTEGER:
    case Type::UNSIGNED:
    case Type::FLOAT:
    case Type::DOUBLE:
        return true;
    default:
        return false;
    }
}

bool Value::operator==(const Value& other) const {
    if (isNumber() && other.isNumber()) {
        const bool bothIntegral = type_ != Type::FLOAT && type_ != Type::DOUBLE &&
                                  other.type_ != Type::FLOAT && other.type_ != Type::DOUBLE;
        if (bothIntegral) {
            return number_.integer == other.number_.integer;
        }
        return asDouble() == other.asDouble();
    }
    if (type_ != other.type_) {
        return false;
    }
    switch (type_) {
    case Type::NONE:
        return true;
    case Type::BOOLEAN:
        return number_.boolValue == other.number_.boolValue;
    case Type::STRING:
        return *string_ == *other.string_;
    case Type::VECTOR:
        return *vector_ == *other.vector_;
    case Type::MAP:
        return *map_ == *other.map_;
    default:
        return false;
    }
}

std::int64_t Value::asInt64() const {
    switch (type_) {
    case Type::BYTE:
    case Type::INTEGER:
    case Type::UNSIGNED:
        return number_.integer;
    case Type::FLOAT:
        return saturate<std::int64_t>(number_.floatValue);
    case Type::DOUBLE:
        return saturate<std::int64_t>(number_.doubleValue);
    case Type::BOOLEAN:
        return number_.boolValue ? 1 : 0;
    case Type::STRING:
        return parseInteger(*string_);
    default:
        return 0;
    }
}

int Value::asInt() const {
    switch (type_) {
    case Type::FLOAT:
        return saturate<int>(number_.floatValue);
    case Type::DOUBLE:
        return saturate<int>(number_.doubleValue);
    default:
        // Wraps like the C cast the original engine used for wider integers.
        return static_cast<int>(asInt64());
    }
}

unsigned int Value::asUnsignedInt() const {
    return static_cast<unsigned int>(asInt64());
}

unsigned char Value::asByte() const {
    return static_cast<unsigned char>(asInt64());
}

double Value::asDouble() const {
    switch (type_) {
    case Type::BYTE:
    case Type::INTEGER:
    case Type::UNSIGNED:
        return static_cast<double>(number_.integer);
    case Type::FLOAT:
        return number_.floatValue;
    case Type::DOUBLE:
        return number_.doubleValue;
    case Type::BOOLEAN:
        return number_.boolValue ? 1.0 : 0.0;
    case Type::STRING:
        return parseReal(*string_);
    default:
        return 0.0;
    }
}

float Value::asFloat() const {
    if (type_ == Type::FLOAT) {
        return number_.floatValue;
    }
    return static_cast<float>(asDouble());
}

bool Value::asBool() const {
    switch (type_) {
    case Type::BYTE:
    case Type::INTEGER:
    case Type::UNSIGNED:
        return number_.integer != 0;
    case Type::FLOAT:
        return number_.floatValue != 0.0f;
    case Type::DOUBLE:
        return number_.doubleValue != 0.0;
    case Type::BOOLEAN:
        return number_.boolValue;
    case Type::STRING:
        return !(*string_ == "0" || *string_ == "false");
    default:
        return false;
    }
}

std::string Value::asString() const {
    std::ostringstream out;
    out.imbue(std::locale::classic());
    switch (type_) {
    case Type::STRING:
        return *string_;
    case Type::BYTE:
    case Type::INTEGER:
    case Type::UNSIGNED:
        out << number_.integer;
        break;
    case Type::FLOAT:
        out << std::fixed << std::setprecision(7) << number_.floatValue;
        break;
    case Type::DOUBLE:
        out << std::fixed << std::setprecision(16) << number_.doubleValue;
        break;
    case Type::BOOLEAN:
        out << (number_.boolValue ? "true" : "false");
        break;
    default:
        break;
    }
    return out.str();
}

const ValueVector& Value::asValueVector() const {
    return vector_ ? *vector_ : emptyVector;
}

const ValueMap& Value::asValueMap() const {
    return map_ ? *map_ : emptyMap;
}

ValueVector& Value::asValueVector() {
    if (type_ != Type::VECTOR) {
        reset(Type::VECTOR);
        vector_ = new ValueVector();
    }
    return *vector_;
}

ValueMap& Value::asValueMap() {
    if (type_ != Type::MAP) {
        reset(Type::MAP);
        map_ = new ValueMap();
    }
    return *map_;
}

std::string Value::getDescription() const {
    switch (type_) {
    case Type::NONE:
        return "null";
    case Type::STRING:
        return "\"" + *string_ + "\"";
    case Type::VECTOR: {
        std::string text = "[";
        for (std::size_t i = 0; i < vector_->size(); ++i) {
            text += (i ? ", " : "") + (*vector_)[i].getDescription();
        }
        return text + "]";
    }
    case Type::MAP: {
        std::string text = "{";
        bool first = true;
        for (const auto& [key, value] : *map_) {
            text += (first ? "" : ", ") + key + ": " + value.getDescription();
            first = false;
        }
        return text + "}";
    }
    default:
        return asString();
    }
}

const Value& valueForKey(const ValueMap& map, const std::string& key) {
    const auto found = map.find(key);
    return found == map.end() ? Value::Null : found->second;
}

const Value& valueAt(const ValueVector& vector, std::size_t index) {
    return index < vector.size() ? vector[index] : Value::Null;
}

void PrintTo(const Value& value, std::ostream* os) {
    *os << value.getDescription();
}

} // namespace engine
