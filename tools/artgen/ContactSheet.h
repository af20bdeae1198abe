#pragma once

#include "tools/artgen/CardFacts.h"

#include <filesystem>
#include <string>
#include <vector>

namespace pavlune::artgen {

// One overview picture of every card: front, jam back and latte back side by
// side, the backs as the user reads them. For looking at, not shipped.
class ContactSheet {
public:
    static bool write(const std::filesystem::path& file, const std::vector<CardFacts>& cards,
                      std::string& error);
};

} // namespace pavlune::artgen
