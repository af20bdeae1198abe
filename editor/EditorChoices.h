#pragma once

#include "catalogue/CardSet.h"
#include "catalogue/CatalogueView.h"
#include "catalogue/Dialect.h"
#include "device/PortIdentity.h"

#include <optional>

// The choices an editor shows and sends with: the dialect, the card set and
// the chosen board. The dialect and card set are the catalogue's one shared
// selection (DeviceManager), so every editor of the process opens with the
// last choice; each choice is also written to the settings file, so that the
// next start opens with it too. The rooms read the choice from here as a
// value and hand it on; nothing below the editor looks it up behind them.
class EditorChoices {
public:
    // At start-up: selects the dialect and card set of the last run.
    static void restore();

    // The catalogue as chosen now: the value a send, a listing or a new card uses.
    pavlune::CatalogueView catalogue() const;
    pavlune::Dialect dialect() const;
    pavlune::CardSet cardSet() const;

    void chooseDialect(pavlune::Dialect dialect);
    void chooseCardSet(pavlune::CardSet cardSet);
    // The board chosen in the port list (by its device, so that it is found
    // again under another name).
    void chooseBoard(const pavlune::PortIdentity& port);
    // The board of the last run, if the settings name one.
    std::optional<pavlune::PortIdentity> rememberedBoard() const;
};
