// Opening and saving long program files: the file's text parsed, its cards
// put on the field model (rows given to the cards stored on them, loose
// cards settled, z-orders renumbered) and the field written back as text,
// for a program of 2000 cards and one of 20000 elements (of which the
// field shows the first 2000 and keeps the rest). Goal: below 100 ms for
// 2000 cards.
//
// Usage: pavlune-bench-program-file [repetitions]

#include "catalogue/CardSet.h"
#include "catalogue/CatalogueView.h"
#include "catalogue/Dialect.h"
#include "engine/base/PlistCodec.h"
#include "field/FieldGeometry.h"
#include "field/FieldModel.h"
#include "field/ProgramDocument.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using engine::Value;
using engine::ValueMap;
using engine::ValueVector;

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The field as the editor lays it out with the pictures' design sizes.
const pavlune::FieldGeometry kGeometry({1024, 768}, {80, 130}, {230, 130}, {40, 40});
const engine::Size kCard(200, 120);

// Cards on all 40 rows (in reverse order, so no row is found first by
// chance), the rest loose all over the field, some stored over row cards.
std::string programText(int elements) {
    ValueVector program;
    for (int i = 0; i < elements; ++i) {
        const int row = 39 - i % 40;
        const bool onRow = i < 40 || i % 7 == 0;
        const int x = onRow ? 652 : 400 + (i * 37) % 1000;
        const int y = onRow ? 5514 - 130 * row : 100 + (i * 53) % 5400;
        program.push_back(Value(ValueMap{{"tab", Value(i % 3)},
                                         {"index", Value(i % 6)},
                                         {"x", Value(x)},
                                         {"y", Value(y)},
                                         {"zorder", Value(elements - i)},
                                         {"value", Value(i % 4 ? "" : "60")}}));
    }
    return engine::PlistCodec::toXml(program);
}

struct Times {
    double open = 0;
    double save = 0;
};

Times openAndSave(const std::string& text) {
    Times times;
    const Clock::time_point start = Clock::now();
    const std::optional<Value> parsed = engine::PlistCodec::parse(text);
    pavlune::FieldModel model(kGeometry, pavlune::CatalogueView(pavlune::jam, pavlune::basic));
    pavlune::ProgramDocument document;
    document.load(parsed ? parsed->asValueVector() : ValueVector(), model, [](int, int) { return kCard; });
    times.open = millisecondsSince(start);
    const Clock::time_point saving = Clock::now();
    const std::string written = engine::PlistCodec::toXml(document.save(model));
    times.save = millisecondsSince(saving);
    if (written.size() < text.size() / 2) {
        std::printf("  (written file shorter than read: %zu < %zu)\n", written.size(), text.size());
    }
    return times;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    std::printf("program file: open (parse + field) and save (field + text), median of %d\n", repetitions);
    for (const int elements : {2000, 20000}) {
        const std::string text = programText(elements);
        std::vector<double> opens;
        std::vector<double> saves;
        for (int r = 0; r < repetitions; ++r) {
            const Times times = openAndSave(text);
            opens.push_back(times.open);
            saves.push_back(times.save);
        }
        std::printf("%6d elements (%zu kB): open %7.1f ms, save %7.1f ms\n", elements, text.size() / 1024,
                    median(opens), median(saves));
    }
    return 0;
}
