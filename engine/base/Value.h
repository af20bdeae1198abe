#pragma once

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace engine {

class Value;

using ValueVector = std::vector<Value>;
using ValueMap = std::unordered_map<std::string, Value>;

// A variant holding what a property list can hold: numbers, booleans, text,
// arrays and dictionaries. The conversions between kinds are lenient on
// purpose (a string asked for as an integer is parsed, a number asked for as a
// string is printed), because saved files written by other tools or older
// versions may store a number as text or text as a number.
//
// Integers are kept as 64-bit signed values so that large numbers read from a
// property list survive a round trip; `asInt` narrows them.
class Value {
public:
    enum class Type {
        NONE,
        BYTE,
        INTEGER,
        UNSIGNED,
        FLOAT,
        DOUBLE,
        BOOLEAN,
        STRING,
        VECTOR,
        MAP,
    };

    // The value of a missing key or an out-of-range element.
    static const Value Null;

    Value();
    explicit Value(unsigned char v);
    explicit Value(int v);
    explicit Value(unsigned int v);
    explicit Value(long v);
    explicit Value(long long v);
    // Wider unsigned numbers are kept as 64-bit signed integers.
    explicit Value(unsigned long v);
    explicit Value(unsigned long long v);
    explicit Value(float v);
    explicit Value(double v);
    explicit Value(bool v);
    explicit Value(const char* v);
    explicit Value(std::string v);
    explicit Value(ValueVector v);
    explicit Value(ValueMap v);

    Value(const Value& other);
    Value(Value&& other) noexcept;
    Value& operator=(const Value& other);
    Value& operator=(Value&& other) noexcept;
    ~Value();

    Value& operator=(int v);
    Value& operator=(unsigned int v);
    Value& operator=(long long v);
    Value& operator=(float v);
    Value& operator=(double v);
    Value& operator=(bool v);
    Value& operator=(const char* v);
    Value& operator=(std::string v);
    Value& operator=(ValueVector v);
    Value& operator=(ValueMap v);

    // Deep equality; numbers of different kinds compare equal when their
    // values do (an INTEGER 1 equals a DOUBLE 1.0), as a round trip through a
    // file may change the kind but not the number.
    bool operator==(const Value& other) const;
    bool operator!=(const Value& other) const { return !(*this == other); }

    // A string may stand for a property list's data block (its raw bytes) or
    // date (ISO 8601 text in UTC). It reads as any string does; the form only
    // tells the writer which element to write back.
    enum class TextForm : std::uint8_t { PLAIN, DATA, DATE };
    static Value data(std::string bytes);
    static Value date(std::string isoText);
    TextForm getTextForm() const { return textForm_; }

    Type getType() const { return type_; }
    bool isNull() const { return type_ == Type::NONE; }
    bool isNumber() const;

    unsigned char asByte() const;
    int asInt() const;
    unsigned int asUnsignedInt() const;
    std::int64_t asInt64() const;
    float asFloat() const;
    double asDouble() const;
    bool asBool() const;
    // Numbers print as decimal text (floats with 7 and doubles with 16 digits
    // after the point, as the original engine did); booleans as "true"/"false".
    std::string asString() const;

    // The held collection, or an empty one when the value is of another kind.
    const ValueVector& asValueVector() const;
    const ValueMap& asValueMap() const;
    // Mutable access; turns the value into an empty collection first when it
    // is of another kind.
    ValueVector& asValueVector();
    ValueMap& asValueMap();

    // A readable rendering for test failure messages.
    std::string getDescription() const;

private:
    void reset(Type type);
    void copyFrom(const Value& other);
    void moveFrom(Value& other) noexcept;

    Type type_ = Type::NONE;
    TextForm textForm_ = TextForm::PLAIN;
    union {
        std::int64_t integer;
        float floatValue;
        double doubleValue;
        bool boolValue;
    } number_{};
    std::string* string_ = nullptr;
    ValueVector* vector_ = nullptr;
    ValueMap* map_ = nullptr;
};

// The value stored under `key`, or `Value::Null` when there is none. Unlike
// `map[key]` this never inserts, so it works on a const map.
const Value& valueForKey(const ValueMap& map, const std::string& key);

// The element at `index`, or `Value::Null` when out of range.
const Value& valueAt(const ValueVector& vector, std::size_t index);

void PrintTo(const Value& value, std::ostream* os);

} // namespace engine
