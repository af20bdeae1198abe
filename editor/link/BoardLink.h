#pragma once

#include "catalogue/CatalogueView.h"
#include "device/PortIdentity.h"
#include "editor/link/LinkSetup.h"
#include "editor/link/PavluneAppsError.h"
#include "editor/link/SendingOverlay.h"
#include "program/FieldRows.h"

#include <functional>
#include <memory>
#include <string>

namespace engine {
class Layer;
class Node;
} // namespace engine

namespace pavlune {
class PolledTransfer;
} // namespace pavlune

class ChooseBoardButton;
class EditorSession;
class InProcessBoard;
class LinkChannel;
class LoadingOverlay;
class PortControls;
class PortListPopup;

// What the board link needs from the editor around it.
struct BoardLinkHooks {
    std::function<void()> openBar;                               // slide the bottom bar up
    std::function<void(std::function<void()>)> captureThumbnail; // draw and write the program's picture
    std::function<pavlune::FieldRows()> fieldRows;               // the program as it stands
    // The dialect and card set a send or stop starting now uses (jam and
    // basic when unset).
    std::function<pavlune::CatalogueView()> catalogue;
};

// The editor's side of the serial link: the port controls and the port list,
// play and stop with their overlays, and the worker threads that search for
// ports and talk to the board. Workers only post reports to the main thread
// (through a LinkChannel), and one transfer runs at a time: play, stop and a
// call from the board do nothing while a send or stop is still under way.
class BoardLink {
public:
    static constexpr const char* kEnterForegroundEvent = "PAVLUNE_EVENT_ENTER_FORGROUND";

    // Builds the port controls in `bar` and listens on `scene` for the
    // application coming back to the foreground. Overlays and the port list
    // go into `scene`.
    BoardLink(engine::Node* scene, engine::Layer* bar, BoardLinkHooks hooks,
              LinkSetup setup = LinkSetup::current());
    // Reports still on their way are dropped; workers finish on their own.
    ~BoardLink();

    BoardLink(const BoardLink&) = delete;
    BoardLink& operator=(const BoardLink&) = delete;

    // The port list and the two overlays are popups: Escape closes the list
    // and stops a running send; the loading overlay no key closes.
    void registerWith(EditorSession& session);

    // The play button: draws the program's picture, then runs the program
    // on the board.
    void play();

    // Starts the serial layer and the first search of this editor; fills the
    // manager's slots (a call from the board, ports that come and go).
    void startSerial();
    void searchPortsInBackground();
    // Shows the port just chosen (the choice is made on the main thread).
    void selectPortInBackground();
    void updatePortStatus();

    void showPortList();
    void closePortList();

    void runOnBoard();
    void stopOnBoard();
    // Message box, new search, open bar: in that order, as the error asks.
    void handleAppsError(const PavluneAppsError& error);

    void showLoadingOverlay();
    void removeLoadingOverlay();
    void finishSendingOverlay();
    void removeSendingOverlay();

    // No search and no transfer under way: the editor may be left.
    bool isIdle() const;
    bool isTransferring() const { return transferring_; }
    bool isStopRequested() const;

    PortControls* getPortControls() const { return controls_.get(); }
    // The board chooser's button (browser builds: a LinkSetup with a page).
    ChooseBoardButton* getChooseButton() const { return chooseButton_.get(); }
    PortListPopup* getPortList() const { return portList_.get(); }
    LoadingOverlay* getLoadingOverlay() const { return loading_.get(); }
    SendingOverlay* getSendingOverlay() const { return sending_.get(); }
    // The board simulator in this process, where there is one.
    InProcessBoard* getInProcessBoard() const { return setup_.simulator.get(); }
    // Blocks until every worker of this link has returned (tests).
    void waitForWorkers();
    std::shared_ptr<LinkChannel> getChannel() const { return channel_; }

    // The user chose this port (to remember it).
    std::function<void(const pavlune::PortIdentity& port)> onPortChosen;
    // The port status was shown again: the chosen board may be another.
    std::function<void()> onBoardChosen;
    // The board simulator in this process is the chosen board.
    bool simulatorChosen() const;

private:
    // How a send and a stop report their end, from a worker or from the
    // page: posted, so the link hears of it on a later frame and only while
    // it exists.
    struct Reports {
        std::function<void(pavlune::TransferFailure)> onError;
        std::function<void()> onDone;
    };
    static Reports sendReports(const std::shared_ptr<LinkChannel>& channel);
    static Reports stopReports(const std::shared_ptr<LinkChannel>& channel);

    pavlune::CatalogueView catalogue() const;
    void startSearchWorker(bool activateFirst);
    void searchEnded();
    // Hands the chosen port's identity to onPortChosen.
    void rememberChosenPort();
    // The send's report: the error's box (then the editor is back), the stop
    // that the overlay asked for, or the finished panel.
    void sendEnded(const PavluneAppsError* error, const SendingOverlay::Ending& ending);
    void transferEnded();
    void appendSendingText(const std::string& text);
    // True when a command may start; otherwise the bar opens and the user is
    // told why (a chosen board unplugged; with `offerScreenBoard`, no board
    // at all: the simulator is offered).
    bool mayStartTransfer(bool offerScreenBoard);
    void offerScreenBoardInstead();
    // Offers the board on the screen with `message` (OK chooses it; with
    // `runAfter`, then runs the program); false when there is none to offer.
    bool offerScreenBoard(const std::string& message, bool runAfter);
    void startScreenBoard();
    void screenBoardStarted(const std::string& device);
    // The editor's window as "x,y,width,height", for the simulator's window
    // to open beside it; empty when there is none.
    std::string windowBeside() const;

    // With a page (browser builds) or to the simulator in this process,
    // transfers run on the main thread: the page or the engine's clock paces
    // them, pollPageTransfer asks how far they got each frame, and their
    // ends are posted like a worker's reports.
    bool onMainThread() const;
    void startPageTransfer(const pavlune::CatalogueView& view, const pavlune::FieldRows* rows);
    void pollPageTransfer();
    // The page's list or the user's choice in its chooser changed, or the
    // browser refused its chooser.
    void pageChanged();
    // The board button pressed in a browser without serial ports: which
    // browsers reach a board, and the board on the screen where there is one.
    void explainNoSerial();

    engine::Node* scene_;
    BoardLinkHooks hooks_;
    LinkSetup setup_;
    std::shared_ptr<LinkChannel> channel_;
    std::unique_ptr<PortControls> controls_;
    std::unique_ptr<PortListPopup> portList_;
    std::unique_ptr<LoadingOverlay> loading_;
    std::unique_ptr<SendingOverlay> sending_;
    int searchesRunning_ = 0;
    bool transferring_ = false;
    bool stopAfterSend_ = false; // the overlay's stop was tapped: stop the board once the send has ended
    std::unique_ptr<ChooseBoardButton> chooseButton_;
    std::unique_ptr<pavlune::PolledTransfer> pageTransfer_;
    bool pageStopAsked_ = false;
    int pageChanges_ = 0;
    int pageChoices_ = 0;
    int pageRefusals_ = 0;
};
