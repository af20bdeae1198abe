#pragma once

#include "program/FieldRows.h"

#include <atomic>
#include <functional>
#include <future>
#include <memory>
#include <string>

namespace engine {
class Layer;
class LayerColor;
class Node;
} // namespace engine

struct PrintButtonHooks {
    std::function<pavlune::FieldRows()> rows;
    // The program's title, which names the file and heads its pages.
    std::function<std::string()> title;
};

// The bar's print button: the field's program as paper cards to cut out, a
// PDF written to the user's documents folder on a worker and opened in the
// system's viewer; a notice tells where it went, or that it failed. Shown
// only where the build can print.
class PrintButton {
public:
    PrintButton(engine::Node* scene, engine::Layer* bar, PrintButtonHooks hooks);
    ~PrintButton();
    PrintButton(const PrintButton&) = delete;
    PrintButton& operator=(const PrintButton&) = delete;

    // Null where nothing can be printed.
    engine::LayerColor* getButton() const { return button_; }
    bool isPrinting() const { return printing_; }
    // Starts a printout unless one is being written.
    void print();
    // Returns once the last printout's worker has posted its report (for tests).
    void waitForWorker() const;

    // "<title>.pdf" with the characters a file name cannot hold replaced;
    // a fixed name for an empty title.
    static std::string fileNameFor(const std::string& title);

private:
    void finished(const std::string& path, const std::string& error);

    engine::Node* scene_;
    PrintButtonHooks hooks_;
    engine::LayerColor* button_ = nullptr;
    bool printing_ = false;
    // Cleared when the button goes, so a worker's late report is dropped.
    std::shared_ptr<std::atomic<bool>> alive_ = std::make_shared<std::atomic<bool>>(true);
    std::shared_future<void> posted_;
};
