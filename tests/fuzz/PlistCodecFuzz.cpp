// Property-list bytes of any kind: what parses must write as XML and read
// back as the same value.
#include "engine/base/PlistCodec.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto value = engine::PlistCodec::parse(reinterpret_cast<const char*>(data), size);
    if (!value) {
        return 0;
    }
    const std::string xml = engine::PlistCodec::toXml(*value);
    if (xml.empty()) {
        return 0; // a root that is no collection is not written
    }
    const auto again = engine::PlistCodec::parse(xml);
    if (!again || !(engine::PlistCodec::toXml(*again) == xml)) {
        std::abort(); // what was written does not read back the same
    }
    return 0;
}
