#pragma once

#include "program/TransferFailure.h"

#include <string>

// What the editor does about a transfer that did not finish: the message box
// (caption and text), and whether the bottom bar slides open and the ports
// are searched again. Chosen from the routine's TransferFailure.
struct PavluneAppsError {
    std::string title;        // the message box caption
    std::string message;      // its text
    bool showMessage = false; // show a message box
    bool openBar = false;     // slide the editor's bottom bar open
    bool searchAgain = false; // start a new port search

    // The selected port could not be opened (absent, or held by another
    // program): the reason, in the teacher's words, goes on a second line.
    // The ports are searched again: a port that cannot be opened has often
    // gone. A byte that could not be written is told alike. A dialect that
    // cannot stop the board says how to stop it instead; a stop the user
    // asked for shows nothing.
    static PavluneAppsError forFailure(const pavlune::TransferFailure& failure);

    bool operator==(const PavluneAppsError&) const = default;
};
