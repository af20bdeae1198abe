#include "tools/artgen/Generator.h"

#include "tools/artgen/CardArt.h"
#include "tools/artgen/CardFacts.h"
#include "tools/artgen/ContactSheet.h"
#include "tools/artgen/PictureTable.h"
#include "tools/artgen/TrueTypeWriter.h"

#include <fstream>
#include <sstream>

namespace pavlune::artgen {

namespace {

bool readFile(const std::filesystem::path& file, std::string& text) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    text = buffer.str();
    return true;
}

bool writeFile(const std::filesystem::path& file, const std::string& text, std::string& error) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out) {
        error = "cannot write " + file.string();
        return false;
    }
    return true;
}

} // namespace

std::string Generator::spliceTable(const std::string& readme, const std::string& table) {
    const std::string block = std::string(kTableBegin) + "\n" + table + kTableEnd;
    const std::size_t begin = readme.find(kTableBegin);
    const std::size_t end = readme.find(kTableEnd);
    if (begin == std::string::npos || end == std::string::npos || end < begin) {
        std::string text = readme;
        if (!text.empty() && text.back() != '\n')
            text += '\n';
        return text + "\n" + block + "\n";
    }
    return readme.substr(0, begin) + block + readme.substr(end + std::string(kTableEnd).size());
}

int Generator::run(const Options& options, std::string& error) {
    const std::vector<CardFacts> cards = CardFacts::fromCatalogue();
    for (const CardFacts& facts : cards) {
        if (CardArtTable::find(facts.set, facts.index) == nullptr) {
            error = "no front design for card " + std::to_string(facts.set) + "/" +
                    std::to_string(facts.index) + " (add it to tools/artgen/CardArt.cpp)";
            return -1;
        }
    }
    const std::vector<PictureEntry> entries = PictureTable::build(cards);
    int written = 0;
    for (const PictureEntry& entry : entries) {
        Canvas canvas(entry.width, entry.height);
        entry.draw(canvas);
        if (!canvas.writePng(options.root / entry.path, error))
            return -1;
        ++written;
    }
    if (!TrueTypeWriter::write(options.root / kBoardFontPath, error))
        return -1;
    ++written;
    if (options.updateReadme) {
        const std::filesystem::path readme = options.root / "res" / "README.md";
        std::string text;
        readFile(readme, text); // a missing README just gets the table
        if (!writeFile(readme, spliceTable(text, PictureTable::sizeTableMarkdown(entries)), error))
            return -1;
    }
    if (!options.contactSheet.empty()) {
        if (!ContactSheet::write(options.contactSheet, cards, error))
            return -1;
    }
    return written;
}

} // namespace pavlune::artgen
