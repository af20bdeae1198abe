#pragma once

#include "catalogue/CatalogueView.h"
#include "engine/base/Ref.h"

#include <atomic>

namespace pavlune {

// Process-wide holder of the current dialect and card set: the one shared
// selection, which every editor of the process opens with. Despite the name
// it knows nothing of serial ports. Lookups go through the CatalogueView it
// hands out; the editor (EditorChoices) takes one and hands it on, so nothing
// below the editor reads the selection behind its caller's back.
//
// The selections are atomic: a view may be taken on any thread.
class DeviceManager : public engine::Ref {
public:
    // Created and initialised on the first call; never released.
    static DeviceManager* getInstance();

    ~DeviceManager() override;
    // Selects jam and the basic set.
    virtual bool init();

    Dialect getCurrentDialect() const { return static_cast<Dialect>(currentDialect_.load()); }
    CardSet getCurrentCardSet() const { return static_cast<CardSet>(currentCardSet_.load()); }
    // Typed: an index from outside becomes a Dialect or CardSet through
    // dialectFromIndex / cardSetFromIndex, which refuse anything outside 0..2.
    void setCurrentDialect(Dialect dialect);
    void setCurrentCardSet(CardSet set);

    // The catalogue as seen with the current selections.
    CatalogueView getView() const;

protected:
    DeviceManager();

private:
    std::atomic<int> currentDialect_{0};
    std::atomic<int> currentCardSet_{0};
};

} // namespace pavlune
