#include "sim/window/BoardWindow.h"

#include "engine/platform/FontResolver.h"

#include <SDL_image.h>
#include <cmath>
#include <cstdio>
#include <iostream>

namespace pavlune {

namespace {

// The floor's rectangle in the window; the board's and the terminal's.
constexpr SDL_Rect kBoardArea{24, 64, 420, 270};
constexpr SDL_Rect kFloorArea{468, 64, 468, 270};
constexpr SDL_Rect kTerminalArea{24, 356, 912, 220};
constexpr std::size_t kTerminalLines = 11;
constexpr std::size_t kTerminalColumns = 74;
constexpr auto kBeepShown = std::chrono::milliseconds(400);
constexpr std::size_t kTrailLength = 400;
constexpr auto kDrawTime = std::chrono::milliseconds(25);
constexpr auto kScreenshotTime = std::chrono::milliseconds(300);
constexpr auto kLongestWithoutFrame = std::chrono::milliseconds(100);

TTF_Font* fontFor(const std::string& pattern, int size) {
    auto& fonts = engine::FontResolver::getInstance();
    const engine::FontFace face = engine::FontResolver::match(pattern);
    return face.empty() ? nullptr : fonts.getFont(face, size);
}

} // namespace

BoardWindow::BoardWindow(const BoardOutputs& outputs, std::string screenshot)
    : outputs_(outputs), screenshot_(std::move(screenshot)), terminal_(1),
      floor_(kFloorArea.w, kFloorArea.h) {}

BoardWindow::~BoardWindow() {
    for (auto& [key, texture] : texts_) {
        SDL_DestroyTexture(texture);
    }
    if (renderer_) {
        SDL_DestroyRenderer(renderer_);
    }
    if (window_) {
        SDL_DestroyWindow(window_);
    }
    SDL_Quit();
}

bool BoardWindow::open(const std::optional<WindowPlacement::Rect>& editor) {
    // The child is in the editor: the board's window appears, the keys stay there.
    SDL_SetHint(SDL_HINT_WINDOW_NO_ACTIVATION_WHEN_SHOWN, "1");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::cerr << "pavlune-board-sim: no window: " << SDL_GetError() << '\n';
        return false;
    }
    int x = SDL_WINDOWPOS_UNDEFINED;
    int y = SDL_WINDOWPOS_UNDEFINED;
    SDL_Rect usable{};
    if (editor && SDL_GetDisplayUsableBounds(0, &usable) == 0) {
        const WindowPlacement::Rect place =
            WindowPlacement::beside(*editor, {usable.x, usable.y, usable.w, usable.h}, kWidth, kHeight);
        x = place.x;
        y = place.y;
    }
    window_ = SDL_CreateWindow("PavluneCards ボード", x, y, kWidth, kHeight, SDL_WINDOW_SHOWN);
    renderer_ = window_ ? SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE) : nullptr;
    labelFont_ = fontFor("sans-serif:lang=ja", 18);
    titleFont_ = fontFor("sans-serif:lang=ja:weight=bold", 24);
    terminalFont_ = fontFor("monospace", 16);
    if (!renderer_ || !labelFont_ || !titleFont_ || !terminalFont_) {
        std::cerr << "pavlune-board-sim: no window: " << (renderer_ ? "no font found" : SDL_GetError())
                  << '\n';
        return false;
    }
    SDL_SetRenderDrawBlendMode(renderer_, SDL_BLENDMODE_BLEND);
    return true;
}

void BoardWindow::changed(const BoardChange& change) {
    dirty_ = true;
    if (change.kind == BoardChange::Kind::beep) {
        beeped_ = true;
        lastBeep_ = change.at;
    } else if (change.kind == BoardChange::Kind::run) {
        running_ = true;
    } else if (change.kind == BoardChange::Kind::stop || change.kind == BoardChange::Kind::end) {
        running_ = false;
    }
}

void BoardWindow::received(char character) {
    dirty_ = true;
    if (character == '\r') {
        return;
    }
    if (character == '\n' || terminal_.back().size() >= kTerminalColumns) {
        terminal_.emplace_back();
        while (terminal_.size() > kTerminalLines) {
            terminal_.pop_front();
        }
    }
    if (character != '\n') {
        const auto value = static_cast<unsigned char>(character);
        terminal_.back() += value >= 0x20 && value < 0x7F ? character : '.';
    }
}

bool BoardWindow::frame(BoardClock::TimePoint now, BoardClock::Duration spare) {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_QUIT) {
            return false;
        }
        // Uncovered, moved, shown again: the system kept no picture of it.
        if (event.type == SDL_WINDOWEVENT && event.window.event != SDL_WINDOWEVENT_ENTER &&
            event.window.event != SDL_WINDOWEVENT_LEAVE &&
            event.window.event != SDL_WINDOWEVENT_FOCUS_GAINED &&
            event.window.event != SDL_WINDOWEVENT_FOCUS_LOST) {
            dirty_ = true;
        }
    }
    const double seconds =
        lastFrame_ == BoardClock::TimePoint{} ? 0.0 : std::chrono::duration<double>(now - lastFrame_).count();
    lastFrame_ = now;
    if (outputs_.leftWheel() != 0.0 || outputs_.rightWheel() != 0.0) {
        floor_.drive(seconds, outputs_.leftWheel(), outputs_.rightWheel());
        trail_.emplace_back(floor_.x(), floor_.y());
        while (trail_.size() > kTrailLength) {
            trail_.pop_front();
        }
        dirty_ = true;
    }
    if (beeped_ && now - lastBeep_ > kBeepShown) {
        beeped_ = false;
        dirty_ = true;
    }
    // A program that never leaves a frame's time free is still shown, a
    // little less punctually.
    if (!dirty_ || (spare < kDrawTime && now - lastDraw_ < kLongestWithoutFrame)) {
        return true;
    }
    draw(now);
    ++drawnFrames_;
    lastDraw_ = now;
    // Writing a picture takes longer than a frame: at most two a second, so
    // that the car can drive meanwhile.
    if (!screenshot_.empty() && spare >= kScreenshotTime &&
        now - lastScreenshot_ >= std::chrono::milliseconds(500)) {
        saveScreenshot();
        lastScreenshot_ = now;
    }
    SDL_RenderPresent(renderer_);
    dirty_ = false;
    return true;
}

void BoardWindow::draw(BoardClock::TimePoint now) {
    SDL_SetRenderDrawColor(renderer_, 246, 243, 236, 255);
    SDL_RenderClear(renderer_);
    fillRect(0, 0, kWidth, 48, {105, 208, 238});
    text("ボードシミュレータ", 24, 10, titleFont_, {255, 255, 255});
    text(running_ ? "▶ うごいています" : "■ とまっています", kWidth - 220, 12, labelFont_, {255, 255, 255});
    drawBoard(now);
    drawFloor();
    drawTerminal();
}

void BoardWindow::drawBoard(BoardClock::TimePoint now) {
    const SDL_Rect& area = kBoardArea;
    fillRect(area.x, area.y, area.w, area.h, {38, 120, 76});
    fillRect(area.x + 6, area.y + 6, area.w - 12, area.h - 12, {46, 139, 87});
    // The LED: a large lamp, red and glowing when lit.
    const int ledX = area.x + 80;
    const int ledY = area.y + 80;
    if (outputs_.led()) {
        fillCircle(ledX, ledY, 46, {255, 90, 80}, 70);
        fillCircle(ledX, ledY, 34, {255, 60, 50});
        fillCircle(ledX - 10, ledY - 10, 9, {255, 200, 190});
    } else {
        fillCircle(ledX, ledY, 34, {110, 40, 40});
    }
    text("LED", ledX, ledY + 48, labelFont_, {255, 255, 255}, true);
    // The buzzer, with sound waves for a moment after each beep.
    const int buzzerX = area.x + 300;
    const int buzzerY = area.y + 80;
    const bool sounding = beeped_ && now - lastBeep_ <= kBeepShown;
    if (sounding) {
        for (int ring = 3; ring >= 1; --ring) {
            fillCircle(buzzerX, buzzerY, 28 + ring * 10, {255, 230, 120},
                       static_cast<Uint8>(50 + 30 * (3 - ring)));
        }
    }
    fillCircle(buzzerX, buzzerY, 30, {40, 40, 40});
    fillCircle(buzzerX, buzzerY, 8, sounding ? Colour{255, 220, 90} : Colour{90, 90, 90});
    text(sounding ? "ピッ！" : "ブザー", buzzerX, buzzerY + 48, labelFont_, {255, 255, 255}, true);
    // The six output lamps, numbered as the cards number them.
    for (int port = 1; port <= BoardOutputs::kOutputCount; ++port) {
        const int x = area.x + 45 + (port - 1) * 66;
        const int y = area.y + 200;
        const bool on = (outputs_.outputs() >> (port - 1)) & 1u;
        if (on) {
            fillCircle(x, y, 24, {255, 220, 60}, 80);
        }
        fillCircle(x, y, 17, on ? Colour{255, 214, 40} : Colour{70, 80, 70});
        text(std::to_string(port), x, y + 24, labelFont_, {255, 255, 255}, true);
    }
    text("OUT", area.x + 14, area.y + 150, labelFont_, {220, 240, 220});
}

void BoardWindow::drawFloor() {
    const SDL_Rect& area = kFloorArea;
    fillRect(area.x, area.y, area.w, area.h, {222, 196, 150});
    for (int x = area.x; x < area.x + area.w; x += 39) {
        fillRect(x, area.y, 1, area.h, {205, 178, 132});
    }
    for (int y = area.y; y < area.y + area.h; y += 39) {
        fillRect(area.x, y, area.w, 1, {205, 178, 132});
    }
    SDL_RenderSetClipRect(renderer_, &area);
    SDL_SetRenderDrawColor(renderer_, 170, 120, 70, 255);
    for (const auto& [x, y] : trail_) {
        const SDL_Rect dot{area.x + static_cast<int>(x) - 1, area.y + area.h - static_cast<int>(y) - 1, 3, 3};
        SDL_RenderFillRect(renderer_, &dot);
    }
    // The car, facing its heading: body, two wheels and a nose.
    fillTurnedRect(0, 0, 44, 56, {230, 70, 60});
    fillTurnedRect(-27, -4, 10, 30, {40, 40, 40});
    fillTurnedRect(27, -4, 10, 30, {40, 40, 40});
    fillTurnedRect(0, 22, 22, 8, {255, 240, 200});
    SDL_RenderSetClipRect(renderer_, nullptr);
    SDL_SetRenderDrawColor(renderer_, 255, 255, 255, 190);
    const SDL_Rect caption{area.x + 8, area.y + 8, 250, 28};
    SDL_RenderFillRect(renderer_, &caption);
    char wheels[64];
    std::snprintf(wheels, sizeof wheels, "くるま  ひだり %+.1f  みぎ %+.1f", outputs_.leftWheel(),
                  outputs_.rightWheel());
    text(wheels, area.x + 16, area.y + 11, labelFont_, {90, 60, 30});
}

void BoardWindow::drawTerminal() {
    const SDL_Rect& area = kTerminalArea;
    fillRect(area.x, area.y, area.w, area.h, {30, 34, 40});
    int y = area.y + 10;
    for (const std::string& line : terminal_) {
        if (!line.empty()) {
            text(line, area.x + 12, y, terminalFont_, {140, 240, 160});
        }
        y += 18;
    }
}

void BoardWindow::fillRect(int x, int y, int w, int h, Colour colour) {
    SDL_SetRenderDrawColor(renderer_, colour.r, colour.g, colour.b, 255);
    const SDL_Rect rect{x, y, w, h};
    SDL_RenderFillRect(renderer_, &rect);
}

void BoardWindow::fillCircle(int cx, int cy, int radius, Colour colour, Uint8 alpha) {
    SDL_SetRenderDrawColor(renderer_, colour.r, colour.g, colour.b, alpha);
    for (int dy = -radius; dy <= radius; ++dy) {
        const int half = static_cast<int>(std::sqrt(static_cast<double>(radius * radius - dy * dy)));
        SDL_RenderDrawLine(renderer_, cx - half, cy + dy, cx + half, cy + dy);
    }
}

void BoardWindow::fillTurnedRect(double cx, double cy, double w, double h, Colour colour) {
    // Car space: x to the car's right, y forward; the floor's y grows upwards.
    const double c = std::cos(floor_.heading());
    const double s = std::sin(floor_.heading());
    const double originX = kFloorArea.x + floor_.x();
    const double originY = kFloorArea.y + kFloorArea.h - floor_.y();
    const double corners[4][2] = {{-w / 2, -h / 2}, {w / 2, -h / 2}, {w / 2, h / 2}, {-w / 2, h / 2}};
    SDL_Vertex vertices[4];
    for (int i = 0; i < 4; ++i) {
        const double px = cx + corners[i][0];
        const double py = cy + corners[i][1];
        const double fx = px * c - py * s;
        const double fy = px * s + py * c;
        vertices[i].position = {static_cast<float>(originX + fx), static_cast<float>(originY - fy)};
        vertices[i].color = {colour.r, colour.g, colour.b, 255};
        vertices[i].tex_coord = {0, 0};
    }
    const int indices[6] = {0, 1, 2, 0, 2, 3};
    SDL_RenderGeometry(renderer_, nullptr, vertices, 4, indices, 6);
}

void BoardWindow::text(const std::string& utf8, int x, int y, TTF_Font* font, Colour colour, bool centred) {
    char key[32];
    std::snprintf(key, sizeof key, "%p/%02x%02x%02x/", static_cast<void*>(font), colour.r, colour.g,
                  colour.b);
    const std::string cacheKey = key + utf8;
    auto cached = texts_.find(cacheKey);
    if (cached == texts_.end()) {
        if (texts_.size() > 256) { // terminal lines change; keep the cache small
            for (auto& [unused, texture] : texts_) {
                SDL_DestroyTexture(texture);
            }
            texts_.clear();
        }
        SDL_Surface* surface =
            TTF_RenderUTF8_Blended(font, utf8.c_str(), {colour.r, colour.g, colour.b, 255});
        if (!surface) {
            return;
        }
        SDL_Texture* texture = SDL_CreateTextureFromSurface(renderer_, surface);
        SDL_FreeSurface(surface);
        cached = texts_.emplace(cacheKey, texture).first;
    }
    int w = 0;
    int h = 0;
    SDL_QueryTexture(cached->second, nullptr, nullptr, &w, &h);
    const SDL_Rect target{centred ? x - w / 2 : x, y, w, h};
    SDL_RenderCopy(renderer_, cached->second, nullptr, &target);
}

void BoardWindow::saveScreenshot() {
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, kWidth, kHeight, 32, SDL_PIXELFORMAT_ARGB8888);
    if (!surface) {
        return;
    }
    // Written aside and renamed, so a reader never sees half a picture.
    const std::string partial = screenshot_ + ".partial";
    if (SDL_RenderReadPixels(renderer_, nullptr, SDL_PIXELFORMAT_ARGB8888, surface->pixels, surface->pitch) ==
            0 &&
        IMG_SavePNG(surface, partial.c_str()) == 0) {
        std::rename(partial.c_str(), screenshot_.c_str());
    }
    SDL_FreeSurface(surface);
}

} // namespace pavlune
