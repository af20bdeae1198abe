// Program files as the editor and pavlune-export read them: the cards are
// put on a field model, snapped, saved again and turned into rows.
#include "catalogue/CardSet.h"
#include "catalogue/CatalogueView.h"
#include "catalogue/Dialect.h"
#include "engine/base/PlistCodec.h"
#include "field/FieldGeometry.h"
#include "field/FieldModel.h"
#include "field/ProgramDocument.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto value = engine::PlistCodec::parse(reinterpret_cast<const char*>(data), size);
    if (!value || value->getType() != engine::Value::Type::VECTOR) {
        return 0;
    }
    const pavlune::FieldGeometry geometry(engine::Size(1024, 768), engine::Size(80, 130),
                                          engine::Size(230, 130), engine::Size(40, 40));
    pavlune::FieldModel model(geometry, pavlune::CatalogueView(pavlune::jam, pavlune::basic));
    pavlune::ProgramDocument document;
    document.load(value->asValueVector(), model, [](int, int) { return engine::Size(200, 120); });
    document.save(model);
    model.fieldRows();
    return 0;
}
