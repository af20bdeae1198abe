#pragma once

#include "sim/BoardChange.h"
#include "sim/BoardOutputs.h"
#include "sim/CarFloor.h"
#include "sim/window/WindowPlacement.h"

#include <SDL.h>
#include <SDL_ttf.h>
#include <deque>
#include <map>
#include <optional>
#include <string>

namespace pavlune {

// The board drawn in a window: its LED, the six output lamps, the buzzer,
// the car on its floor and the text the board received, like a terminal.
// Reads the outputs it is given; hears of beeps and program starts through
// `changed`. Main thread only.
class BoardWindow {
public:
    static constexpr int kWidth = 960;
    static constexpr int kHeight = 600;

    // `screenshot`: a PNG written after a frame that follows a change, at
    // most twice a second (empty: none).
    BoardWindow(const BoardOutputs& outputs, std::string screenshot);
    BoardWindow(const BoardWindow&) = delete;
    BoardWindow& operator=(const BoardWindow&) = delete;
    ~BoardWindow();

    // Opens the window without taking the keyboard focus from the program the
    // user is in; beside `editor` (screen pixels) when given, never over it.
    bool open(const std::optional<WindowPlacement::Rect>& editor = std::nullopt);
    void changed(const BoardChange& change);
    void received(char character);
    // Handles the window's events and draws; false once the window is
    // closed. `spare`: the time until the board's next statement is due, in
    // which the drawing must fit so that the board keeps its time.
    bool frame(BoardClock::TimePoint now, BoardClock::Duration spare);
    // Frames drawn so far (a picture redrawn after the window was uncovered counts).
    int drawnFrames() const { return drawnFrames_; }
    SDL_Window* window() const { return window_; }

private:
    struct Colour {
        Uint8 r, g, b;
    };

    void draw(BoardClock::TimePoint now);
    void drawBoard(BoardClock::TimePoint now);
    void drawFloor();
    void drawTerminal();
    void fillRect(int x, int y, int w, int h, Colour colour);
    void fillCircle(int cx, int cy, int radius, Colour colour, Uint8 alpha = 255);
    // A rectangle of w x h centred on (cx, cy) relative to the car, turned by the car's heading.
    void fillTurnedRect(double cx, double cy, double w, double h, Colour colour);
    void text(const std::string& utf8, int x, int y, TTF_Font* font, Colour colour, bool centred = false);
    void saveScreenshot();

    const BoardOutputs& outputs_;
    std::string screenshot_;
    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    TTF_Font* labelFont_ = nullptr;
    TTF_Font* titleFont_ = nullptr;
    TTF_Font* terminalFont_ = nullptr;
    std::map<std::string, SDL_Texture*> texts_;
    std::deque<std::string> terminal_;
    CarFloor floor_;
    std::deque<std::pair<double, double>> trail_; // where the car has been, oldest first
    BoardClock::TimePoint lastFrame_{};
    BoardClock::TimePoint lastBeep_{};
    BoardClock::TimePoint lastScreenshot_{};
    BoardClock::TimePoint lastDraw_{};
    bool beeped_ = false;
    bool running_ = false;
    bool dirty_ = true;
    int drawnFrames_ = 0;
};

} // namespace pavlune
