#include "editor/link/BoardLink.h"

#include "catalogue/Dialect.h"
#include "device/PavluneCardSerialManager.h"
#include "device/web/SerialPage.h"
#include "device/web/WebSerialBackend.h"
#include "editor/EditorSession.h"
#include "editor/EditorTexts.h"
#include "editor/link/ChooseBoardButton.h"
#include "editor/link/InProcessBoard.h"
#include "editor/link/LinkChannel.h"
#include "editor/link/LoadingOverlay.h"
#include "editor/link/PortControls.h"
#include "editor/link/PortListPopup.h"
#include "editor/link/ScreenBoard.h"
#include "editor/link/SendingOverlay.h"
#include "engine/2d/Director.h"
#include "engine/2d/Label.h"
#include "engine/2d/Layer.h"
#include "engine/2d/Sprite.h"
#include "engine/2d/actions/CallFunc.h"
#include "engine/2d/actions/FadeIn.h"
#include "engine/2d/events/EventDispatcher.h"
#include "engine/2d/events/EventListenerCustom.h"
#include "engine/base/Log.h"
#include "engine/platform/GLView.h"
#include "program/BoardTransfer.h"
#include "program/web/WebBoardTransfer.h"
#include "widgets/AlertView.h"
#include "widgets/Notice.h"

#include <SDL.h>
#include <chrono>
#include <optional>
#include <string>
#include <utility>

using pavlune::PavluneCardSerialManager;

namespace {

constexpr const char* kPagePollKey = "pavlune.page-transfer";

// How long the line is listened to after a send: a board that answers does
// so within moments of RUN; one that says nothing must not hold the panel.
constexpr auto kAnswerPoll = std::chrono::milliseconds(100);
constexpr auto kAnswerQuiet = std::chrono::milliseconds(300);
constexpr auto kAnswerLongest = std::chrono::milliseconds(1500);
constexpr std::size_t kAnswerLimit = 4096; // only its last line is shown

// What the board sends back after the last byte, until it falls quiet.
std::string collectAnswer(PavluneCardSerialManager& serial, pavlune::TransferClock& clock) {
    std::string answer;
    const auto start = clock.now();
    auto lastHeard = start;
    while (clock.now() - start < kAnswerLongest &&
           (answer.empty() || clock.now() - lastHeard < kAnswerQuiet)) {
        clock.sleepUntil(clock.now() + kAnswerPoll);
        if (std::string more = serial.readAnswer(kAnswerLimit); !more.empty()) {
            answer += more;
            lastHeard = clock.now();
        }
    }
    return answer.size() > kAnswerLimit ? answer.substr(answer.size() - kAnswerLimit) : answer;
}

} // namespace

BoardLink::Reports BoardLink::sendReports(const std::shared_ptr<LinkChannel>& channel) {
    return {[channel](const pavlune::TransferFailure& failure) {
                channel->post([error = PavluneAppsError::forFailure(failure)](BoardLink& link) {
                    link.sendEnded(&error, {false, "", false});
                });
            },
            [channel] { channel->post([](BoardLink& link) { link.sendEnded(nullptr, {}); }); }};
}

BoardLink::Reports BoardLink::stopReports(const std::shared_ptr<LinkChannel>& channel) {
    return {[channel](const pavlune::TransferFailure& failure) {
                channel->post([error = PavluneAppsError::forFailure(failure)](BoardLink& link) {
                    link.handleAppsError(error);
                    link.removeLoadingOverlay();
                    link.transferEnded();
                });
            },
            [channel] {
                channel->post([](BoardLink& link) {
                    link.removeLoadingOverlay();
                    link.transferEnded();
                });
            }};
}

BoardLink::BoardLink(engine::Node* scene, engine::Layer* bar, BoardLinkHooks hooks, LinkSetup setup)
    : scene_(scene), hooks_(std::move(hooks)), setup_(std::move(setup)),
      channel_(std::make_shared<LinkChannel>(this, engine::Director::getInstance()->getScheduler())),
      controls_(std::make_unique<PortControls>(bar)) {
    controls_->onReload = [this] { searchPortsInBackground(); };
    controls_->onOpenList = [this] {
        if (setup_.serial->getState() == PavluneCardSerialManager::stateIdle) {
            showPortList();
        }
    };
    if (scene_) {
        auto* foreground = engine::EventListenerCustom::create(
            kEnterForegroundEvent, [this](engine::EventCustom*) { searchPortsInBackground(); });
        scene_->getEventDispatcher()->addEventListenerWithSceneGraphPriority(foreground, scene_);
    }
    if (setup_.page) {
        chooseButton_ = std::make_unique<ChooseBoardButton>(
            bar, setup_.page, [this] { return !transferring_ && !sending_ && !loading_ && !portList_; });
        pageChanges_ = setup_.page->changes();
        pageChoices_ = setup_.page->choices();
        pageRefusals_ = setup_.page->refusals();
        chooseButton_->onUnavailable = [this] { explainNoSerial(); };
        setup_.page->setOnChange([channel = std::weak_ptr<LinkChannel>(channel_)] {
            if (auto open = channel.lock()) {
                open->post([](BoardLink& link) { link.pageChanged(); });
            }
        });
    }
}

void BoardLink::registerWith(EditorSession& session) {
    session.addPopup({"port list", [this] { return portList_ != nullptr; },
                      [this] {
                          closePortList();
                          return true;
                      },
                      [this] { return portList_->chooseFocused(); },
                      [this](int step) { portList_->moveFocus(step); }});
    // The sending overlay's stop button; its finished panel is left to a tap.
    session.addPopup({"sending overlay", [this] { return sending_ != nullptr; },
                      [this] {
                          if (sending_->isPanel() || !sending_->onStop) {
                              return false;
                          }
                          sending_->onStop();
                          return true;
                      },
                      // Its finished panel only tells: Return closes it as its button does.
                      [this] {
                          if (!sending_->isPanel() || !sending_->onClose) {
                              return false;
                          }
                          // A copy: closing destroys the overlay, onClose with it.
                          const std::function<void()> close = sending_->onClose;
                          close();
                          return true;
                      }});
    session.addPopup({"loading overlay", [this] { return loading_ != nullptr; }, nullptr});
    session.addControl({controls_->getPortField(), [this] { controls_->onOpenList(); }});
    session.addControl({controls_->getReloadIcon(), [this] { controls_->onReload(); }});
}

pavlune::CatalogueView BoardLink::catalogue() const {
    return hooks_.catalogue ? hooks_.catalogue() : pavlune::CatalogueView(pavlune::jam, pavlune::basic);
}

BoardLink::~BoardLink() {
    if (setup_.page) {
        setup_.page->setOnChange(nullptr);
    }
    engine::Director::getInstance()->getScheduler()->unschedule(kPagePollKey, this);
    channel_->close();
}

void BoardLink::play() {
    // The list shows what was sent, so the picture is drawn first.
    if (hooks_.captureThumbnail) {
        hooks_.captureThumbnail([] {});
    }
    runOnBoard();
}

void BoardLink::startSerial() {
    // The slots are the manager's, shared by every editor: each report goes
    // through the channel of the editor that filled them, and is dropped
    // once that editor is gone.
    std::weak_ptr<LinkChannel> channel = channel_;
    setup_.serial->setCallRequestHandler([channel](pavlune::SerialCallType type) {
        if (auto open = channel.lock()) {
            open->post([type](BoardLink& link) {
                type == pavlune::SerialCallType::run ? link.runOnBoard() : link.stopOnBoard();
            });
        }
    });
    auto searchAgain = [channel] {
        if (auto open = channel.lock()) {
            open->post([](BoardLink& link) { link.searchPortsInBackground(); });
        }
    };
    setup_.serial->setPortArrivalHandler(searchAgain);
    setup_.serial->setPortRemovalHandler(searchAgain);
    // activate calls back only once per process; every editor searches anyway.
    startSearchWorker(true);
}

void BoardLink::searchPortsInBackground() {
    startSearchWorker(false);
}

void BoardLink::startSearchWorker(bool activateFirst) {
    ++searchesRunning_;
    controls_->showStatus(EditorTexts::kSearching, true);
    LinkChannel::startWorker(channel_, [channel = channel_, serial = setup_.serial, activateFirst] {
        if (activateFirst) {
            serial->activate([](bool) {});
        }
        serial->searchPorts([](bool) {});
        channel->post([](BoardLink& link) { link.searchEnded(); });
    });
}

void BoardLink::searchEnded() {
    --searchesRunning_;
    updatePortStatus();
    // A list left open shows the ports as they were; show them as they are.
    if (portList_ && searchesRunning_ == 0) {
        portList_->fadeAway();
        portList_.reset();
        showPortList();
    }
}

void BoardLink::selectPortInBackground() {
    LinkChannel::startWorker(
        channel_, [channel = channel_] { channel->post([](BoardLink& link) { link.updatePortStatus(); }); });
}

void BoardLink::updatePortStatus() {
    const int state =
        searchesRunning_ > 0 ? PavluneCardSerialManager::stateSearching : setup_.serial->getState();
    controls_->showStatus(PortControls::statusText(state, setup_.serial->getPorts(),
                                                   setup_.serial->getSelectedIndex(),
                                                   setup_.serial->getMissingPortName()),
                          PortControls::turnsInState(state));
    if (!ScreenBoard::get().isChosen(*setup_.serial)) {
        ScreenBoard::get().forgetProgram(); // another board in use: nothing knows which card it runs
    }
    if (onBoardChosen) {
        onBoardChosen();
    }
}

void BoardLink::showPortList() {
    const std::vector<pavlune::SerialPortInfo> ports = setup_.serial->getPorts();
    if (ports.empty() || portList_ || !scene_) {
        return;
    }
    portList_ = std::make_unique<PortListPopup>(scene_, controls_->getPortField(),
                                                controls_->getStatusLabel(), ports);
    portList_->onChoose = [this](const std::string& name) {
        if (setup_.serial->choosePort(name)) {
            rememberChosenPort();
        }
        selectPortInBackground();
        closePortList();
    };
    portList_->onDismiss = [this] { closePortList(); };
}

void BoardLink::rememberChosenPort() {
    if (const std::optional<pavlune::PortIdentity> chosen = setup_.serial->getChosenIdentity();
        chosen && onPortChosen) {
        onPortChosen(*chosen);
    }
}

void BoardLink::closePortList() {
    // On the next frame: the list is not taken apart inside its own touch handler.
    scene_->runAction(engine::CallFunc::create([this] {
        if (portList_) {
            portList_->fadeAway();
            portList_.reset();
        }
    }));
}

bool BoardLink::mayStartTransfer(bool offerScreenBoard) {
    if (transferring_) {
        return false; // the earlier send or stop still owns the port and the stop flag
    }
    channel_->stopRequested = false;
    if (setup_.serial->isSelectedPortActive()) {
        return true;
    }
    if (hooks_.openBar) {
        hooks_.openBar(); // so that the port status is in view
    }
    if (!setup_.serial->getMissingPortName().empty()) {
        Notice::show(scene_, EditorTexts::kMissingBoardMessage, EditorTexts::kNoBoardCaption);
    } else if (offerScreenBoard) {
        offerScreenBoardInstead();
    }
    return false;
}

void BoardLink::offerScreenBoardInstead() {
    // With none to offer, the bar says already that no board was found.
    offerScreenBoard(EditorTexts::kOfferScreenBoardMessage, true);
}

bool BoardLink::offerScreenBoard(const std::string& message, bool runAfter) {
    std::string screenBoard;
    for (const pavlune::SerialPortInfo& port : setup_.serial->getPorts()) {
        if (port.transport == pavlune::SerialPortInfo::Transport::screen) {
            screenBoard = port.name;
        }
    }
    if (screenBoard.empty() || !scene_) {
        return false;
    }
    AlertView* box = AlertView::create(message);
    if (!box) {
        return false;
    }
    box->onOk = [this, screenBoard, runAfter](AlertView* shown) {
        shown->close();
        if (setup_.serial->choosePort(screenBoard)) {
            updatePortStatus();
            if (runAfter) {
                runOnBoard();
            }
        }
    };
    box->onCancel = [](AlertView* shown) { shown->close(); };
    box->onOutside = box->onCancel;
    scene_->addChild(box);
    box->setOpacity(0);
    box->runAction(engine::FadeIn::create(AlertView::kFadeDuration));
    return true;
}

void BoardLink::explainNoSerial() {
    const std::string message = EditorTexts::kNoSerialMessage;
    if (!offerScreenBoard(message + EditorTexts::kTryScreenBoard, false)) {
        Notice::show(scene_, message, EditorTexts::kNoSerialCaption);
    }
}

void BoardLink::runOnBoard() {
    if (!mayStartTransfer(true)) {
        return;
    }
    if (ScreenBoard::get().isChosen(*setup_.serial) && !ScreenBoard::get().isReady()) {
        startScreenBoard();
        return;
    }
    transferring_ = true;
    stopAfterSend_ = false;
    const pavlune::CatalogueView view = catalogue();
    sending_ = std::make_unique<SendingOverlay>(scene_, view.getDialect() == pavlune::jam);
    sending_->onStop = [this] {
        // The send ends at its next check; then the board is stopped too, so
        // one tap leaves nothing running.
        channel_->stopRequested = true;
        stopAfterSend_ = true;
        if (sending_) {
            sending_->showStopping();
        }
    };
    sending_->onClose = [this] { removeSendingOverlay(); };
    pavlune::FieldRows rows = hooks_.fieldRows ? hooks_.fieldRows() : pavlune::FieldRows();
    ScreenBoard::get().sendStarts(*setup_.serial, view, rows);
    if (onMainThread()) {
        startPageTransfer(view, &rows);
        return;
    }
    const std::optional<pavlune::SerialPortInfo> port = setup_.serial->getSelectedPort();
    const bool builtIn = port && port->transport == pavlune::SerialPortInfo::Transport::native;
    LinkChannel::startWorker(
        channel_, [channel = channel_, setup = setup_, view, rows = std::move(rows), builtIn] {
            std::unique_ptr<pavlune::TransferClock> clock = setup.makeClock();
            pavlune::BoardTransfer transfer(
                *setup.serial, *clock, channel->stopRequested, [channel](const std::string& text) {
                    channel->post([text](BoardLink& link) { link.appendSendingText(text); });
                });
            bool sent = false;
            transfer.sendProgram(view, rows, sendReports(channel).onError, [&sent] { sent = true; });
            if (sent) {
                // The panel says "sent" and what came back, in one report.
                SendingOverlay::Ending ending{true, collectAnswer(*setup.serial, *clock), builtIn};
                channel->post([ending](BoardLink& link) { link.sendEnded(nullptr, ending); });
            }
        });
}

void BoardLink::sendEnded(const PavluneAppsError* error, const SendingOverlay::Ending& ending) {
    transferEnded();
    if (error && error->showMessage) {
        // The box has told it: one OK and the editor is back.
        handleAppsError(*error);
        removeSendingOverlay();
        return;
    }
    if (stopAfterSend_) {
        stopAfterSend_ = false;
        removeSendingOverlay();
        stopOnBoard();
        return;
    }
    if (error) {
        handleAppsError(*error);
    }
    if (!error && (simulatorChosen() || ScreenBoard::get().isChosen(*setup_.serial))) {
        // A simulator answers on the screen: the field lights the running card
        // and its panel or window shows the board, so nothing stays over them.
        removeSendingOverlay();
        return;
    }
    if (sending_) {
        sending_->finish(ending);
    }
}

void BoardLink::startScreenBoard() {
    std::string failure;
    const int output = ScreenBoard::get().spawn(windowBeside(), failure);
    if (output < 0) {
        engine::Log::error("link", "the board on the screen did not start: " + failure);
        Notice::showFailure(scene_, EditorTexts::kScreenBoardFailed, EditorTexts::kFailureCaption);
        return;
    }
    // The simulator names its line when it is ready; the editor keeps
    // drawing meanwhile, behind the loading overlay.
    transferring_ = true;
    showLoadingOverlay();
    LinkChannel::startWorker(channel_, [channel = channel_, output] {
        std::string device = ScreenBoard::readFirstLine(output);
        channel->post([device](BoardLink& link) { link.screenBoardStarted(device); });
    });
}

void BoardLink::screenBoardStarted(const std::string& device) {
    transferring_ = false;
    removeLoadingOverlay();
    if (std::string failure; !ScreenBoard::get().attach(device, failure)) {
        engine::Log::error("link", "the board on the screen did not start: " + failure);
        Notice::showFailure(scene_, EditorTexts::kScreenBoardFailed, EditorTexts::kFailureCaption);
        return;
    }
    runOnBoard();
}

std::string BoardLink::windowBeside() const {
    const engine::GLView* view = engine::Director::getInstance()->getOpenGLView();
    SDL_Window* window = view ? view->getWindow() : nullptr;
    if (!window) {
        return {};
    }
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    SDL_GetWindowPosition(window, &x, &y);
    SDL_GetWindowSize(window, &width, &height);
    return std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(width) + "," +
           std::to_string(height);
}

void BoardLink::stopOnBoard() {
    if (!mayStartTransfer(false) ||
        (ScreenBoard::get().isChosen(*setup_.serial) && !ScreenBoard::get().isRunning())) {
        return; // a board on the screen that is not there runs nothing
    }
    transferring_ = true;
    showLoadingOverlay();
    const pavlune::CatalogueView view = catalogue();
    if (onMainThread()) {
        startPageTransfer(view, nullptr);
        return;
    }
    LinkChannel::startWorker(channel_, [channel = channel_, setup = setup_, view] {
        std::unique_ptr<pavlune::TransferClock> clock = setup.makeClock();
        pavlune::BoardTransfer transfer(*setup.serial, *clock, channel->stopRequested, nullptr);
        const Reports reports = stopReports(channel);
        transfer.stopProgram(view, reports.onError, reports.onDone);
    });
}

bool BoardLink::simulatorChosen() const {
    return setup_.simulator && setup_.simulator->isChosen(*setup_.serial);
}

bool BoardLink::onMainThread() const {
    return setup_.page || simulatorChosen();
}

void BoardLink::startPageTransfer(const pavlune::CatalogueView& view, const pavlune::FieldRows* rows) {
    std::shared_ptr<LinkChannel> channel = channel_;
    auto showText = [channel](const std::string& text) {
        channel->post([text](BoardLink& link) { link.appendSendingText(text); });
    };
    if (simulatorChosen()) {
        pageTransfer_ = setup_.simulator->makeTransfer(showText);
    } else {
        pageTransfer_ = std::make_unique<pavlune::WebBoardTransfer>(*setup_.serial, setup_.page, showText);
    }
    pageStopAsked_ = false;
    const Reports reports = rows ? sendReports(channel) : stopReports(channel);
    if (rows) {
        pageTransfer_->startSend(view, *rows, reports.onError, reports.onDone);
    } else {
        pageTransfer_->startStop(view, reports.onError, reports.onDone);
    }
    if (pageTransfer_->isRunning()) {
        engine::Director::getInstance()->getScheduler()->schedule([this](float) { pollPageTransfer(); }, this,
                                                                  0, false, kPagePollKey);
    }
}

void BoardLink::pollPageTransfer() {
    if (pageTransfer_ && channel_->stopRequested && !pageStopAsked_) {
        pageStopAsked_ = true;
        pageTransfer_->requestStop();
    }
    // Its end is only posted from inside poll, so it may go right after.
    if (!pageTransfer_ || !pageTransfer_->poll()) {
        pageTransfer_.reset();
        engine::Director::getInstance()->getScheduler()->unschedule(kPagePollKey, this);
    }
}

void BoardLink::pageChanged() {
    const int changes = setup_.page->changes();
    const int choices = setup_.page->choices();
    if (const int refusals = setup_.page->refusals(); refusals != pageRefusals_) {
        // A chooser the browser's settings refused; a closed one says nothing.
        pageRefusals_ = refusals;
        Notice::show(scene_, EditorTexts::kBoardsBlockedMessage, EditorTexts::kNoticeCaption);
    }
    if (choices != pageChoices_) {
        // The user chose in the browser's chooser: that port is the board,
        // whatever was chosen before. The page's list is at hand, so the
        // search that lists it runs here.
        pageChoices_ = choices;
        pageChanges_ = changes;
        const std::vector<std::string> names = pavlune::WebSerialBackend::portNames(setup_.page->ports());
        const int index = setup_.page->chosenIndex();
        setup_.serial->searchPorts([](bool) {});
        if (index >= 0 && static_cast<std::size_t>(index) < names.size() &&
            setup_.serial->choosePort(names[static_cast<std::size_t>(index)])) {
            rememberChosenPort();
        }
        updatePortStatus();
        return;
    }
    if (changes != pageChanges_) {
        pageChanges_ = changes;
        searchPortsInBackground();
    }
}

void BoardLink::transferEnded() {
    transferring_ = false;
}

void BoardLink::handleAppsError(const PavluneAppsError& error) {
    if (error.showMessage) {
        Notice::showFailure(scene_, error.message, error.title);
    }
    if (error.searchAgain) {
        searchPortsInBackground();
    }
    if (error.openBar && hooks_.openBar) {
        hooks_.openBar();
    }
}

void BoardLink::showLoadingOverlay() {
    if (!loading_) {
        loading_ = std::make_unique<LoadingOverlay>(scene_);
    }
}

void BoardLink::removeLoadingOverlay() {
    loading_.reset();
}

void BoardLink::finishSendingOverlay() {
    if (sending_) {
        sending_->finish({false, "", false});
    }
}

void BoardLink::removeSendingOverlay() {
    sending_.reset();
}

void BoardLink::appendSendingText(const std::string& text) {
    if (sending_) {
        sending_->appendText(text);
    }
}

bool BoardLink::isIdle() const {
    return !transferring_ && searchesRunning_ == 0 &&
           setup_.serial->getState() == PavluneCardSerialManager::stateIdle;
}

bool BoardLink::isStopRequested() const {
    return channel_->stopRequested;
}

void BoardLink::waitForWorkers() {
    channel_->waitForWorkers();
}
