#include "app/AppDelegate.h"
#include "app/SingleInstance.h"
#include "device/PavluneCardSerialManager.h"
#include "engine/base/FileUtils.h"
#include "engine/platform/Application.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char* const kUsage = "usage: pavlune-cards [--port PATH]...\n"
                           "\n"
                           "The card-programming editor.\n"
                           "\n"
                           "  --port PATH   list the serial device PATH after the ports that every search\n"
                           "                finds (a pseudo-terminal, an adapter that is not found by\n"
                           "                itself); may be given several times\n"
                           "  --help        show this text\n";

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> extraPorts;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--help" || argument == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (argument == "--port" && i + 1 < argc && argv[i + 1][0] != '\0') {
            extraPorts.emplace_back(argv[++i]);
        } else if (argument.rfind("--port=", 0) == 0 && argument.size() > std::strlen("--port=")) {
            extraPorts.push_back(argument.substr(std::strlen("--port=")));
        } else {
            std::fprintf(stderr, "pavlune-cards: unexpected argument '%s'\n%s", argument.c_str(), kUsage);
            return 2;
        }
    }
    // Children double-click while the first window is still opening: the
    // later copy only brings the first one forward.
    SingleInstance onlyCopy(
        SingleInstance::nameFor("pavlune-cards", engine::FileUtils::getInstance()->getWritablePath()));
    if (!onlyCopy.claim()) {
        return 0;
    }
    pavlune::PavluneCardSerialManager::getInstance()->setExtraPorts(std::move(extraPorts));
    AppDelegate app;
    app.setOnlyCopy(&onlyCopy);
    return engine::Application::getInstance()->run();
}
