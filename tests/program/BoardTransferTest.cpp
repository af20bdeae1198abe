#include "program/BoardTransfer.h"

#include "catalogue/CardSet.h"
#include "catalogue/CatalogueView.h"
#include "catalogue/Dialect.h"
#include "device/PavluneCardSerialManager.h"
#include "engine/base/Log.h"
#include "program/PacedPortWriter.h"
#include "program/VirtualTransferClock.h"
#include "tests/device/FakeSerialBackend.h"

#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>
#include <optional>

using namespace pavlune;

namespace {

using std::chrono::milliseconds;
using Duration = TransferClock::Duration;

// A piece of expected traffic: its bytes, the pause after each (ms, negative:
// none) and whether it shows in the sending overlay.
struct Segment {
    std::string text;
    int pause;
    bool echo;
};

FieldRow card(int set, int index, std::string value = "") {
    return FieldRow{CardSlot{set, index, std::move(value)}};
}

FieldRow emptyRow() {
    return FieldRow{std::nullopt};
}

class BoardTransferTest : public ::testing::Test {
protected:
    struct Write {
        std::uint8_t byte;
        Duration at;
        bool ok;
    };

    BoardTransferTest()
        : script(std::make_shared<FakeSerialBackend::Script>()),
          serial(std::make_unique<FakeSerialBackend>(script)),
          transfer(serial, clock, stopRequested, [this](const std::string& text) { shown.push_back(text); }) {
        serial.addPort("/dev/fake0", "Fake board");
        script->onWrite = [this](std::uint8_t byte, bool ok) {
            writes.push_back({byte, clock.elapsed(), ok});
            if (stopAfterWrite && writes.size() == *stopAfterWrite) {
                stopRequested = true;
            }
        };
    }

    void send(Dialect dialect, const FieldRows& rows) {
        transfer.sendProgram(CatalogueView(dialect, basic), rows, onError(), onDone());
    }

    void stop(Dialect dialect) { transfer.stopProgram(CatalogueView(dialect, basic), onError(), onDone()); }

    BoardTransfer::ErrorCallback onError() {
        return [this](TransferFailure error) {
            ++errorCalls;
            lastError = std::move(error);
        };
    }

    BoardTransfer::DoneCallback onDone() {
        return [this] { ++doneCalls; };
    }

    std::string written() const {
        std::string bytes;
        for (const Write& write : writes) {
            if (write.ok) {
                bytes.push_back(static_cast<char>(write.byte));
            }
        }
        return bytes;
    }

    std::string shownText() const {
        std::string all;
        for (const std::string& piece : shown) {
            all += piece;
        }
        return all;
    }

    // Every byte in order, each written exactly its pause (plus the line time
    // of one byte at 115200 baud) after the one before.
    void expectTraffic(const std::vector<Segment>& segments) {
        std::string bytes;
        std::vector<int> pauses;
        std::string echoed;
        for (const Segment& segment : segments) {
            bytes += segment.text;
            pauses.insert(pauses.end(), segment.text.size(), segment.pause);
            if (segment.echo) {
                echoed += segment.text;
            }
        }
        ASSERT_EQ(written(), bytes);
        ASSERT_EQ(writes.size(), bytes.size());
        for (std::size_t k = 0; k + 1 < writes.size(); ++k) {
            const Duration expected = pauses[k] < 0
                                          ? Duration::zero()
                                          : Duration(milliseconds(pauses[k])) +
                                                PacedPortWriter::lineTime(static_cast<long long>(k) + 1) -
                                                PacedPortWriter::lineTime(static_cast<long long>(k));
            ASSERT_EQ((writes[k + 1].at - writes[k].at).count(), expected.count())
                << "gap after byte " << k << " (0x" << std::hex << int(writes[k].byte) << ")";
        }
        EXPECT_EQ(shownText(), echoed);
        // One piece of overlay text per echoed character, as they go out.
        EXPECT_EQ(shown.size(), echoed.size());
    }

    void expectDoneOnly() {
        EXPECT_EQ(doneCalls, 1);
        EXPECT_EQ(errorCalls, 0);
    }

    void expectErrorOnly(TransferFailure::Kind expected) {
        EXPECT_EQ(doneCalls, 0);
        EXPECT_EQ(errorCalls, 1);
        EXPECT_EQ(lastError.kind, expected);
    }

    std::shared_ptr<FakeSerialBackend::Script> script;
    PavluneCardSerialManager serial;
    VirtualTransferClock clock;
    std::atomic<bool> stopRequested{false};
    std::vector<std::string> shown;
    BoardTransfer transfer;

    std::vector<Write> writes;
    std::optional<std::size_t> stopAfterWrite;
    int doneCalls = 0;
    int errorCalls = 0;
    TransferFailure lastError{TransferFailure::Kind::portNotOpened, {PortOpenError::Kind::other, "unset"}};
};

const std::vector<Segment> jamOpening{
    {"\x1B", 500, false},
    {"\nOUT0\n", 50, false},
    {"\n\n\n\n\nNEW\r\n", 50, true},
};
const std::vector<Segment> jamClosing{
    {"SAVE 0", 60, true},
    {"\n", 1000, true},
    {"RUN\r\n", 50, true},
};

std::vector<Segment> concat(std::vector<Segment> a, const std::vector<Segment>& b,
                            const std::vector<Segment>& c = {}) {
    a.insert(a.end(), b.begin(), b.end());
    a.insert(a.end(), c.begin(), c.end());
    return a;
}

TEST_F(BoardTransferTest, JamEmptyFieldSendsBreakResetPrologueAndEpilogue) {
    send(jam, FieldRows(40, emptyRow()));
    expectTraffic(concat(jamOpening, jamClosing));
    expectDoneOnly();
    std::lock_guard lock(script->mutex);
    EXPECT_EQ(script->opens, std::vector<std::string>{"/dev/fake0"});
}

TEST_F(BoardTransferTest, JamRowsCarryTheirLineNumbersAndTypedNumbers) {
    send(jam, {card(basic, 0), emptyRow(), card(full, 2, "1.5"), card(full, 4), card(full, 5)});
    expectTraffic(concat(jamOpening,
                         {{"10 LED 1\r\n", 50, true},
                          {"30 WAIT 90\r\n", 50, true},
                          {"40 FOR I = 1 TO 3\r\n", 50, true},
                          {"50 NEXT\r\n", 50, true}},
                         jamClosing));
    expectDoneOnly();
}

TEST_F(BoardTransferTest, LatteLoopProgramIsIndentedAndPacedAtFiveMilliseconds) {
    send(latte, {card(full, 4), card(basic, 0), card(full, 5)});
    expectTraffic({{" ", 20, false},
                   {"ms\nout(0)\nexit()\n", 5, false},
                   {"cat uart > .\n", 5, false},
                   {"var i=0;var o=0;\n", 5, true},
                   {"i=0;\nwhile(i<3){\n", 5, true},
                   {"  led(1);\n", 5, true},
                   {"i=i+1;\n}\n", 5, true},
                   {"while(uart()!=-1);\n", 5, false},
                   {"\x04\n", 2000, false},
                   {"ms .\n", 5, false}});
    expectDoneOnly();
}

// Loop 3 start, LED on, an empty row, loop 3 end, a typed wait of 2 (120).
const FieldRows queProgram{card(full, 4),      card(basic, 0), emptyRow(), card(full, 5),
                           card(full, 2, "2"), emptyRow(),     emptyRow()};
const std::string queInstructions = std::string("\x09\0\0\0\0\0\0\0"
                                                "\0\0\0\0\0\0\0\0",
                                                16) +
                                    std::string("\x01\0\x01\0\0\0\0\0", 8) + std::string(8, '\0') +
                                    std::string("\x0A\0\0\0\x01\0\x01\0"
                                                "\x10\0\x01\0\x02\0\x03\0",
                                                16) +
                                    std::string("\x04\0\x78\0\x01\0\0\0", 8);

TEST_F(BoardTransferTest, QueSendsEveryInstructionByteAfterItsPauseThenPadsTo512) {
    send(que, queProgram);
    ASSERT_EQ(written(), queInstructions + std::string(512 - 56, '\xFF'));
    for (std::size_t k = 0; k < writes.size(); ++k) {
        // Each byte is preceded by the 10 ms pacing.
        ASSERT_EQ(writes[k].at,
                  Duration(milliseconds(10 * (k + 1))) + PacedPortWriter::lineTime(static_cast<long long>(k)))
            << "byte " << k;
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"1 はこ# = 0\n2 \n", "3 LEDを つける\n", "4\n",
                                               "5 はこ# + 1\n6 もし #<3 2 へ\n", "7 120かい まつ\n"}));
    expectDoneOnly();
}

TEST_F(BoardTransferTest, QueProgramOfExactlyTheImageSizeGetsNoPadding) {
    send(que, FieldRows(64, card(basic, 0))); // 64 instructions of 8 bytes
    EXPECT_EQ(writes.size(), 512u);
    send(que, FieldRows(65, card(basic, 0)));
    EXPECT_EQ(writes.size(), 512u + 520u) << "a longer program is sent whole";
    EXPECT_EQ(doneCalls, 2);
}

TEST_F(BoardTransferTest, StopRoutineSendsBreakThenResetWithoutPausesBetweenResetBytes) {
    stop(jam);
    expectTraffic({{"\x1B", 500, false}, {"\nOUT0\n", -1, false}});
    expectDoneOnly();
    EXPECT_TRUE(shown.empty());
}

TEST_F(BoardTransferTest, LatteStopRoutine) {
    stop(latte);
    expectTraffic({{" ", 20, false}, {"ms\nout(0)\nexit()\n", -1, false}});
    expectDoneOnly();
}

TEST_F(BoardTransferTest, QueStopRoutineSaysTheResetButtonStopsTheBoard) {
    stop(que);
    EXPECT_TRUE(writes.empty());
    expectErrorOnly(TransferFailure::Kind::cannotStop);
    std::lock_guard lock(script->mutex);
    EXPECT_TRUE(script->opens.empty()) << "there is nothing to send, so the port is left alone";
}

TEST_F(BoardTransferTest, PortThatDoesNotOpenWritesNothing) {
    script->openable = {"/dev/other"};
    for (Dialect dialect : {jam, latte, que}) {
        send(dialect, {card(basic, 0)});
    }
    stop(jam);
    stop(latte);
    EXPECT_TRUE(writes.empty());
    EXPECT_EQ(doneCalls, 0);
    EXPECT_EQ(errorCalls, 5);
    // With the backend's reason, for the screen or the tool to word.
    EXPECT_EQ(lastError, (TransferFailure{TransferFailure::Kind::portNotOpened, script->refusal}));
    EXPECT_TRUE(shown.empty());
}

TEST_F(BoardTransferTest, JamStopRequestIsNoticedAfterTheNextByte) {
    stopAfterWrite = 9; // inside the prologue
    send(jam, {card(basic, 0)});
    EXPECT_EQ(written(), "\x1B\nOUT0\n\n\n");
    expectErrorOnly(TransferFailure::Kind::stopped);
    EXPECT_EQ(shown.size(), 2u) << "the two prologue characters that went out";
}

TEST_F(BoardTransferTest, StopRequestedBeforeTheSendStillSendsOneByte) {
    stopRequested = true;
    send(latte, {card(basic, 0)});
    EXPECT_EQ(written(), " ");
    expectErrorOnly(TransferFailure::Kind::stopped);
}

TEST_F(BoardTransferTest, QueStopRequestEndsAfterTheCurrentRowWithoutPadding) {
    stopAfterWrite = 3; // inside the first row's group
    send(que, queProgram);
    EXPECT_EQ(written(), queInstructions.substr(0, 16));
    EXPECT_EQ(shown, std::vector<std::string>{"1 はこ# = 0\n2 \n"});
    expectDoneOnly();
}

TEST_F(BoardTransferTest, QueStopRequestWaitsForEveryGroupOfTheRow) {
    // One row of three slots: LED on, an empty slot, LED on: three groups.
    const FieldRow row{CardSlot{basic, 0, ""}, std::nullopt, CardSlot{basic, 0, ""}};
    stopAfterWrite = 3; // inside the row's first group
    send(que, {row, card(basic, 1)});
    EXPECT_EQ(written(), std::string("\x01\0\x01\0\0\0\0\0", 8) + std::string(8, '\0') +
                             std::string("\x01\0\x01\0\0\0\0\0", 8));
    EXPECT_EQ(shown, (std::vector<std::string>{"1 LEDを つける\n", "2\n", "3 LEDを つける\n"}));
    expectDoneOnly();
}

TEST_F(BoardTransferTest, QueStopRequestDuringPaddingEndsAtOnce) {
    stopAfterWrite = 100;
    send(que, queProgram);
    EXPECT_EQ(writes.size(), 100u);
    expectDoneOnly();
}

TEST_F(BoardTransferTest, JamWriteFailureIsReportedAtOnceWithThePortsReason) {
    const engine::Log::Capture log;
    script->writeSucceeds = [](std::size_t attempt) { return attempt != 5; };
    script->writeFailure = PortWriteError::fromErrno(EIO);
    send(jam, {card(basic, 0)});
    EXPECT_EQ(writes.size(), 6u) << "nothing is tried after the failing byte";
    EXPECT_EQ(written(), "\x1B\nOUT");
    expectErrorOnly(TransferFailure::Kind::writeFailed);
    EXPECT_EQ(lastError.write.osText, std::strerror(EIO));
    EXPECT_EQ(log.linesWith({"device", "/dev/fake0", std::strerror(EIO)}).size(), 1u);
}

TEST_F(BoardTransferTest, EchoedCharacterIsShownEvenWhenItsWriteFails) {
    script->writeSucceeds = [](std::size_t attempt) { return attempt != 7; }; // the first echoed byte
    send(jam, {card(basic, 0)});
    EXPECT_EQ(writes.size(), 8u);
    EXPECT_EQ(shown, std::vector<std::string>{"\n"})
        << "the overlay shows what was being sent when it failed";
    expectErrorOnly(TransferFailure::Kind::writeFailed);
}

TEST_F(BoardTransferTest, LatteWriteFailureInTheStopRoutine) {
    script->writeSucceeds = [](std::size_t attempt) { return attempt == 0; };
    stop(latte);
    EXPECT_EQ(writes.size(), 2u);
    expectErrorOnly(TransferFailure::Kind::writeFailed);
}

TEST_F(BoardTransferTest, QueWriteFailureEndsTheSendWithThePortError) {
    struct Case {
        const char* what;
        std::size_t failingAttempt;
        std::size_t attempts; // every write tried, the failing one included
    };
    const std::vector<Case> cases{
        {"the very first byte", 0, 1},
        {"a program byte", 20, 21},
        {"a padding byte", 56 + 10, 56 + 11},
    };
    for (const Case& c : cases) {
        writes.clear();
        doneCalls = errorCalls = 0;
        script->writeSucceeds = [&c](std::size_t attempt) { return attempt < c.failingAttempt; };
        {
            std::lock_guard lock(script->mutex);
            script->writeAttempts = 0;
        }
        send(que, queProgram);
        EXPECT_EQ(writes.size(), c.attempts) << c.what << ": nothing is tried after the failing byte";
        EXPECT_EQ(written(),
                  queInstructions.substr(0, c.failingAttempt)
                      .append(c.failingAttempt > 56 ? std::string(c.failingAttempt - 56, '\xFF') : ""))
            << c.what;
        expectErrorOnly(TransferFailure::Kind::writeFailed);
    }
}

TEST_F(BoardTransferTest, SendTextOfNothingWritesNothing) {
    TransferFailure error{TransferFailure::Kind::stopped, {}};
    ASSERT_TRUE(serial.openSelectedPort());
    EXPECT_TRUE(transfer.sendText("", 50, true, error));
    EXPECT_TRUE(writes.empty());
    EXPECT_EQ(clock.elapsed(), Duration::zero());
}

} // namespace
