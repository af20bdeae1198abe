// Builds that cannot print write no printouts.
#include "editor/print/PrintoutFolder.h"

std::string printoutFolder() {
    return {};
}
