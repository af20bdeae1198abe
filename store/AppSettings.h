#pragma once

#include "engine/base/Value.h"

#include <cstddef>
#include <string>

// What the application remembers between runs, in W/settings.plist (W the
// writable path): a dictionary with
//   "dialect"  integer 0..2, the dialect the editor shows and sends
//   "cardset"  integer 0..2, the palette's card set (numbered as a program
//              file's "tab")
//   "port"     string, the name of the port the user chose last
//   "portdevice" dictionary, what identifies that port's device:
//              "description" string, and for a USB adapter where the system
//              tells them "usbvendor" and "usbproduct" (integers 0..65535)
//              and "usbserial" (string). Files of earlier versions have only
//              "port": such a port is not confirmed.
// A missing file or key gives jam, the basic set and no port. A file that is
// not a readable dictionary, or a value of the wrong kind or out of range, is
// ignored (what can be read is kept) and the file is written anew at once:
// settings hold nothing of the user's work, so a damaged copy is not kept.
// A file that is there but cannot be read (permissions) is left alone: the
// run goes on with the defaults and never writes it. Keys that this version
// does not know are kept when the file is rewritten. Temporary files left by
// an interrupted write of the file are removed when it is read. While another
// copy of the editor holds the store (StoreLock), the file is read but never
// written: choices made in that copy last for its run only.
//
// Main thread only.
class AppSettings {
public:
    static constexpr const char* kFileName = "settings.plist";
    // Dialects and card sets are both numbered 0 .. kChoiceCount - 1.
    static constexpr int kChoiceCount = 3;
    // A longer "port" is no port name (device paths are far shorter).
    static constexpr std::size_t kMaxPortNameLength = 1024;

    // The port chosen last, as the device link identifies it.
    struct Port {
        std::string name;
        std::string description{};
        int usbVendor = -1; // -1: not known
        int usbProduct = -1;
        std::string usbSerial{};
        bool confirmed = false; // more than the name is known (written by this version)

        bool operator==(const Port&) const = default;
    };

    // The process-wide settings, read from the writable path on the first call.
    static AppSettings* getInstance();

    // Reads the file on the current writable path anew (replacing a damaged
    // one); a fresh process does this once.
    void reload();

    int dialect() const { return dialect_; }
    int cardSet() const { return cardSet_; }
    const Port& port() const { return port_; }

    // Each setter writes the file when the value changes. A value out of
    // range is refused. False when refused or when the file could not be
    // written (the new value is still in force for this run).
    bool setDialect(int dialect);
    bool setCardSet(int cardSet);
    bool setPort(const Port& port);

    // W + kFileName.
    std::string fullPath() const;

private:
    AppSettings() = default;
    bool write();
    // False while another copy of the editor holds the store.
    static bool mayWrite();
    void removeLeftoverTemporaries() const;

    int dialect_ = 0;
    int cardSet_ = 0;
    Port port_;
    // The file's dictionary as read, so that unknown keys survive a rewrite.
    engine::ValueMap stored_;
    // Set while the file could not be read: it is not written over.
    bool unreadable_ = false;
};
