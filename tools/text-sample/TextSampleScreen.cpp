// A screen that shows the text facilities together: labels in the named
// system fonts (Latin and Japanese), a wrapped label, a label in the board's
// font file, character-map numbers and an edit box that is open for typing.
// Run it on a display and type; it closes with the window.

#include "engine/2d/Director.h"
#include "engine/2d/Label.h"
#include "engine/2d/LabelAtlas.h"
#include "engine/2d/LayerColor.h"
#include "engine/2d/Scene.h"
#include "engine/platform/Application.h"
#include "engine/platform/GLView.h"
#include "engine/ui/EditBox.h"

#include <cstdio>
#include <memory>
#include <string>

namespace {

using namespace engine;

class SampleDelegate : public ui::EditBoxDelegate {
public:
    explicit SampleDelegate(Label* echo) : echo_(echo) {}
    void editBoxTextChanged(ui::EditBox*, const std::string& text) override {
        echo_->setString("typed: " + text);
    }
    void editBoxReturn(ui::EditBox* box) override {
        echo_->setString(std::string("return: ") + box->getText());
    }

private:
    Label* echo_;
};

class SampleApp : public Application {
public:
    bool applicationDidFinishLaunching() override {
        Director* director = Director::getInstance();
        GLView* view = GLView::createWithRect("PavluneApps text sample", Rect(0, 0, 1024, 768), 1.0f, true);
        if (!view) {
            std::fprintf(stderr, "no window: %s\n", SDL_GetError());
            return false;
        }
        director->setOpenGLView(view);
        view->setDesignResolutionSize(1024, 768, ResolutionPolicy::SHOW_ALL);
        director->setContentScaleFactor(2.0f);

        Scene* scene = Scene::create();
        scene->addChild(LayerColor::create(Color4B(240, 248, 252, 255)));
        const Color3B ink(30, 30, 30);
        const auto place = [&](Label* label, float x, float y) {
            label->setAnchorPoint(Vec2::ANCHOR_TOP_LEFT);
            label->setPosition(x, y);
            label->setColor(ink);
            scene->addChild(label);
            return label;
        };
        place(Label::createWithSystemFont("Helvetica 28: Search ... Not Found ...", "Helvetica", 28), 40,
              740);
        place(Label::createWithSystemFont("Arial 30: Copyright  Ver 1.1.0", "Arial", 30), 40, 690);
        place(Label::createWithSystemFont("HiraKakuProN-W6 28: しっぱい せつぞくしなおしてください。",
                                          "HiraKakuProN-W6", 28),
              40, 640);
        place(Label::createWithSystemFont("Helvetica with Japanese: えらんだソースコードを消しますか？",
                                          "Helvetica", 24),
              40, 590);
        Label* wrapped = place(Label::createWithSystemFont("default font, 300 wide: 新しいプログラム "
                                                           "and a title long enough to wrap onto more lines",
                                                           "", 30, Size(300, 0), TextHAlignment::CENTER),
                               40, 540);
        wrapped->setColor(Color3B(105, 208, 238));
        place(Label::createWithTTF("10 LED 1\n20 WAIT 60\n30 GOTO 10", "fonts/PavluneBoard-1.2.ttf", 20), 420,
              540);

        LabelAtlas* numbers = LabelAtlas::create("400", "res/r_field_num.png", 9, 11, '0');
        if (numbers) {
            numbers->setScale(3);
            numbers->setPosition(420, 400);
            scene->addChild(numbers);
        }
        LabelAtlas* counts = LabelAtlas::create("0123456789", "res/r_field_num_w.png", 9, 11, '0');
        if (counts) {
            LayerColor* badge = LayerColor::create(Color4B(105, 208, 238, 255), 280, 60);
            badge->setPosition(700, 380);
            counts->setScale(3);
            counts->setPosition(5, 15);
            badge->addChild(counts);
            scene->addChild(badge);
        }

        Label* echo = place(Label::createWithSystemFont("typed:", "Arial", 24), 40, 70);
        delegate_ = std::make_unique<SampleDelegate>(echo);
        ui::EditBox* box = ui::EditBox::create(Size(300, 214), "res/r_save_entry_back.png");
        if (box) {
            box->setFont("Arial", 30);
            box->setFontColor(Color3B::BLACK);
            box->setTextHorizontalAlignment(TextHAlignment::CENTER);
            box->setInputMode(ui::EditBox::InputMode::SINGLE_LINE);
            box->setReturnType(ui::EditBox::KeyboardReturnType::DONE);
            box->setDelegate(delegate_.get());
            box->setText("タイトル");
            box->setPosition(200, 200);
            scene->addChild(box);
        }
        ui::EditBox* number = ui::EditBox::create(Size(200, 110), "res/r_empty.png");
        if (number) {
            number->setFont("fonts/PavluneBoard-1.2.ttf", 20);
            number->setFontColor(Color3B::BLACK);
            number->setTextHorizontalAlignment(TextHAlignment::CENTER);
            number->setText("0.5");
            number->setPosition(600, 200);
            scene->addChild(number);
        }
        director->runWithScene(scene);
        if (box) {
            box->touchDownAction(box, ui::Widget::TouchEventType::ENDED);
        }
        return true;
    }
    void applicationDidEnterBackground() override {}
    void applicationWillEnterForeground() override {}

private:
    std::unique_ptr<SampleDelegate> delegate_;
};

} // namespace

int main() {
    SampleApp app;
    return app.run();
}
