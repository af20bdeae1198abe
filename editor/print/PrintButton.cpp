#include "editor/print/PrintButton.h"

#include "editor/EditorTexts.h"
#include "editor/print/PrintoutFolder.h"
#include "engine/2d/Director.h"
#include "engine/2d/Label.h"
#include "engine/2d/Layer.h"
#include "engine/2d/LayerColor.h"
#include "engine/base/FileUtils.h"
#include "engine/base/Log.h"
#include "engine/base/Scheduler.h"
#include "engine/platform/Application.h"
#include "engine/platform/Worker.h"
#include "print/PaperSize.h"
#include "print/ProgramPdf.h"
#include "widgets/Design.h"
#include "widgets/Notice.h"
#include "widgets/PressedButton.h"

#include <cctype>
#include <cstring>
#include <utility>

namespace {

constexpr float kWidth = 110;
constexpr float kHeight = 44;
// Right of the port controls on the bar's blue band, clear of the copyright line.
constexpr float kCentreX = design::kWidth - 90;
constexpr float kCentreY = 63;
constexpr std::size_t kMaxNameBytes = 100;

// A file URL with every byte but the unreserved ones and '/' escaped, so a
// name with spaces or Japanese reaches the viewer whole.
std::string fileUrl(const std::string& path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string url = "file://";
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) || std::strchr("/-._~", c)) {
            url += c;
        } else {
            url += '%';
            url += kHex[byte >> 4];
            url += kHex[byte & 15];
        }
    }
    return url;
}

} // namespace

PrintButton::PrintButton(engine::Node* scene, engine::Layer* bar, PrintButtonHooks hooks)
    : scene_(scene), hooks_(std::move(hooks)) {
    if (!bar || !pavlune::ProgramPdf::isAvailable()) {
        return;
    }
    button_ = engine::LayerColor::create(engine::Color4B::WHITE, kWidth, kHeight);
    auto* label = engine::Label::createWithSystemFont(EditorTexts::kPrintButton, "Helvetica", 20);
    if (!button_ || !label) {
        button_ = nullptr;
        return;
    }
    button_->setPosition(kCentreX - kWidth / 2, kCentreY - kHeight / 2);
    label->setTextColor(engine::Color4B(design::kTextGrey, 255));
    label->setPosition(kWidth / 2, kHeight / 2);
    button_->addChild(label);
    bar->addChild(button_);
    PressedButton::attach(
        button_, [this] { print(); }, [this] { return !printing_; });
}

PrintButton::~PrintButton() {
    *alive_ = false;
}

std::string PrintButton::fileNameFor(const std::string& title) {
    std::string name;
    for (const char c : title) {
        const bool unfit = static_cast<unsigned char>(c) < 0x20 || c == '/' || c == '\\' || c == ':' ||
                           c == '*' || c == '?' || c == '"' || c == '<' || c == '>' || c == '|';
        name += unfit ? '_' : c;
    }
    if (name.size() > kMaxNameBytes) {
        // Cut before a character, never inside one.
        std::size_t end = kMaxNameBytes;
        while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0) == 0x80) {
            --end;
        }
        name.resize(end);
    }
    // A name of dots alone, or none, would be a hidden or odd file.
    if (name.find_first_not_of(". ") == std::string::npos) {
        name = "PavluneCards";
    }
    return name + ".pdf";
}

void PrintButton::print() {
    if (printing_) {
        return;
    }
    const pavlune::FieldRows rows = hooks_.rows ? hooks_.rows() : pavlune::FieldRows();
    bool anyCard = false;
    for (const pavlune::FieldRow& row : rows) {
        for (const auto& slot : row) {
            anyCard = anyCard || slot.has_value();
        }
    }
    if (!anyCard) {
        Notice::show(scene_, EditorTexts::kNothingToPrint, EditorTexts::kNoticeCaption);
        return;
    }
    const std::string folder = printoutFolder();
    if (folder.empty()) {
        finished({}, "no folder to write the printout to");
        return;
    }
    const std::string title = hooks_.title ? hooks_.title() : std::string();
    const std::string path = folder + fileNameFor(title);
    printing_ = true;
    auto posted = std::make_shared<std::promise<void>>();
    posted_ = posted->get_future().share();
    engine::startWorker([rows, title, path, alive = alive_, posted, this] {
        std::string pdf;
        std::string error;
        if (pavlune::ProgramPdf::write(rows, title, pavlune::PaperSize::fromEnvironment(), pdf, error)) {
            int writeError = 0;
            if (!engine::FileUtils::getInstance()->writeStringToFile(pdf, path, &writeError)) {
                error = path + ": " + std::strerror(writeError);
            }
        }
        engine::Director::getInstance()->getScheduler()->performFunctionInCocosThread([=, this] {
            if (*alive) {
                finished(path, error);
            }
        });
        posted->set_value();
    });
}

void PrintButton::waitForWorker() const {
    if (posted_.valid()) {
        posted_.wait();
    }
}

void PrintButton::finished(const std::string& path, const std::string& error) {
    printing_ = false;
    if (!error.empty()) {
        engine::Log::error("editor", "the printout was not written: " + error);
        Notice::showFailure(scene_, EditorTexts::kNotPrinted, EditorTexts::kFailureCaption);
        return;
    }
    if (engine::Application* application = engine::Application::getInstance()) {
        application->openURL(fileUrl(path));
    }
    Notice::show(scene_, std::string(EditorTexts::kPrinted) + path + EditorTexts::kPrintedEnd,
                 EditorTexts::kNoticeCaption);
}
