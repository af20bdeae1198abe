// The browser test's own small program: sends a field program through the
// page's serial link exactly as the editor of a browser build does (the
// process-wide serial manager, a search, WebBoardTransfer polled once a
// frame), then hands the page the outcome and what the overlay showed.
//
// Arguments: the dialect (jam, latte, que), then the rows, one per line:
// empty, or "SET INDEX [VALUE]" with SET basic, paprika, full or its number.
#include "catalogue/CardSet.h"
#include "catalogue/CatalogueView.h"
#include "catalogue/Dialect.h"
#include "device/PavluneCardSerialManager.h"
#include "device/web/EmscriptenSerialPage.h"
#include "program/FieldRows.h"
#include "program/web/WebBoardTransfer.h"

#include <cstdlib>
#include <emscripten.h>
#include <exception>
#include <memory>
#include <sstream>
#include <string>

// clang-format off
EM_JS(void, pavlune_test_report, (const char* outcome, const char* shown), {
    globalThis.pavluneTestReport({outcome: UTF8ToString(outcome), shown: UTF8ToString(shown)});
});
// clang-format on

namespace {

using namespace pavlune;

struct Run {
    Dialect dialect = jam;
    FieldRows rows;
    int frames = 0;
    std::string shown;
    std::unique_ptr<WebBoardTransfer> transfer;
    bool ended = false;
};

Run run;

FieldRows parseRows(const std::string& text) {
    FieldRows rows;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string set;
        int index = 0;
        std::string value;
        if (!(words >> set >> index)) {
            rows.push_back(FieldRow{std::nullopt});
            continue;
        }
        words >> value;
        const int setIndex = set == "basic"     ? basic
                             : set == "paprika" ? paprika
                             : set == "full"    ? full
                                                : std::atoi(set.c_str());
        rows.push_back(FieldRow{CardSlot{setIndex, index, value}});
    }
    return rows;
}

void report(const std::string& outcome) {
    run.ended = true;
    pavlune_test_report(outcome.c_str(), run.shown.c_str());
}

void frame() {
    if (run.ended) {
        return;
    }
    ++run.frames;
    PavluneCardSerialManager& serial = *PavluneCardSerialManager::getInstance();
    if (!run.transfer) {
        // The page learns of its allowed ports a moment after it starts.
        if (EmscriptenSerialPage::shared()->ports().empty()) {
            if (run.frames > 600) {
                report("no port");
            }
            return;
        }
        serial.searchPorts([](bool) {});
        run.transfer = std::make_unique<WebBoardTransfer>(serial, EmscriptenSerialPage::shared(),
                                                          [](const std::string& text) { run.shown += text; });
        run.transfer->startSend(
            CatalogueView(run.dialect, basic), run.rows,
            [](const TransferFailure& failure) {
                report("error: kind " + std::to_string(static_cast<int>(failure.kind)) + " " +
                       failure.port.describe());
            },
            [] { report("done"); });
        return;
    }
    run.transfer->poll();
}

} // namespace

int main(int argc, char** argv) {
    try {
        if (argc < 3) {
            report("usage: DIALECT ROWS");
            return 1;
        }
        const std::string dialect = argv[1];
        run.dialect = dialect == "latte" ? latte : dialect == "que" ? que : jam;
        run.rows = parseRows(argv[2]);
    } catch (const std::exception&) {
        pavlune_test_report("the page could not start", "");
        return 1;
    }
    emscripten_set_main_loop(frame, 0, 0);
    return 0;
}
