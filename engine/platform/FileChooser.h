#pragma once

#include <functional>
#include <string>

namespace engine {

// What came of asking the user for a file.
struct FileChoice {
    enum class Outcome {
        Chosen,      // saved there (save) or read (open)
        Cancelled,   // the user closed the chooser without a file
        Unavailable, // no chooser answered (on Linux: no desktop portal)
        Failed,      // a file was chosen but could not be written or read
    };
    Outcome outcome = Outcome::Failed;
    std::string name;   // the chosen file's name, without its folders
    std::string bytes;  // open: the file's content
    std::string reason; // Unavailable or Failed: why, for the log
};

// The system's file chooser: the XDG desktop portal over D-Bus on Linux
// (FileChooserPortal.cpp), the common file dialog on Windows
// (FileChooserWin32.cpp), the page's download and file input in the browser
// (FileChooserWeb.cpp). A question never holds a frame: `done` runs later on
// the main thread, once, whatever the outcome.
class FileChooser {
public:
    using Done = std::function<void(const FileChoice&)>;

    // The longest file `open` reads: far more than any class of programs.
    static constexpr std::size_t kMaxOpenBytes = std::size_t{16} << 20;

    virtual ~FileChooser() = default;

    // Asks where to keep `bytes`, proposing `fileName`, and writes them there.
    virtual void save(const std::string& title, const std::string& fileName, std::string bytes,
                      Done done) = 0;
    // Asks for a program file and reads it (at most kMaxOpenBytes).
    virtual void open(const std::string& title, Done done) = 0;
    // Whether a question is waiting for the user; a second is not asked meanwhile.
    virtual bool isAsking() const = 0;

    // A file the user gave without being asked, as an open's answer: in the
    // browser, one chosen with the page's own import button.
    Done unasked;

    // The platform's chooser (one per process).
    static FileChooser& system();

protected:
    // What the desktop choosers do with the path the user chose.
    static FileChoice writeChosen(const std::string& path, const std::string& bytes);
    static FileChoice readChosen(const std::string& path);
    // The file name at the end of `path`.
    static std::string nameOf(const std::string& path);
};

} // namespace engine
