#include "app/SingleInstance.h"

#include <utility>

// In the browser each page is its own copy with its own storage, and the
// browser already brings a tab forward: every claim succeeds.
struct SingleInstance::Platform {};

SingleInstance::SingleInstance(std::string name)
    : name_(std::move(name)), platform_(std::make_unique<Platform>()) {}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::claim() {
    return true;
}

// NOLINTNEXTLINE(performance-unnecessary-value-param): the desktop files keep the callback they are given
void SingleInstance::listen(std::function<void()> /*request*/) {}

void SingleInstance::stopListening() {}
