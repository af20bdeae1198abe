#include "SampleScene.h"

#include "engine/2d/ClippingRectangleNode.h"
#include "engine/2d/LayerColor.h"
#include "engine/2d/Sprite.h"
#include "engine/2d/actions/Actions.h"
#include "engine/2d/events/EventDispatcher.h"
#include "engine/2d/events/EventListenerTouchOneByOne.h"
#include "engine/2d/events/Touch.h"

#include <SDL.h>
#include <SDL_image.h>
#include <filesystem>

using namespace engine;

namespace {

// Draws a card-like picture at twice its design size: a coloured body with a
// darker band and a white frame.
std::string writeCardPicture(const std::string& name, const Color3B& body, int width, int height) {
    const std::string path =
        (std::filesystem::temp_directory_path() / ("pavlune_sample_" + name + ".png")).string();
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_RGBA32);
    SDL_FillRect(s, nullptr, SDL_MapRGBA(s->format, 255, 255, 255, 255));
    SDL_Rect inner{8, 8, width - 16, height - 16};
    SDL_FillRect(s, &inner, SDL_MapRGBA(s->format, body.r, body.g, body.b, 255));
    SDL_Rect band{8, 8, width - 16, height / 5};
    SDL_FillRect(s, &band, SDL_MapRGBA(s->format, body.r / 2, body.g / 2, body.b / 2, 255));
    SDL_Rect dot{width / 2 - height / 10, height / 2, height / 5, height / 5};
    SDL_FillRect(s, &dot, SDL_MapRGBA(s->format, 255, 255, 255, 255));
    IMG_SavePNG(s, path.c_str());
    SDL_FreeSurface(s);
    return path;
}

} // namespace

bool SampleScene::init() {
    if (!Scene::init()) {
        return false;
    }
    addChild(LayerColor::create(Color4B(105, 208, 238, 255)));
    // The palette strip on the left, translucent over the background.
    addChild(LayerColor::create(Color4B(255, 255, 255, 128), 275, 768));

    const std::string red = writeCardPicture("red", Color3B(230, 80, 70), 200, 280);
    const std::string green = writeCardPicture("green", Color3B(90, 190, 90), 200, 280);
    const std::string back = writeCardPicture("back", Color3B(60, 70, 160), 200, 280);
    addActionRow(green);
    addTurningCard(red, back);
    addClippedStrip(red);
    addTapListener(green);
    return true;
}

void SampleScene::addActionRow(const std::string& picture) {
    for (int i = 0; i < 4; ++i) {
        Sprite* sprite = Sprite::create(picture);
        sprite->setPosition(340 + i * 120, 620);
        sprite->setScale(0.8f);
        sprite->runAction(RepeatForever::create(Sequence::create(
            DelayTime::create(0.2f * i), EaseExponentialOut::create(MoveBy::create(0.6f, Vec2(0, -60))),
            Spawn::create(FadeTo::create(0.4f, 96), ScaleTo::create(0.4f, 0.6f), nullptr),
            Spawn::create(FadeIn::create(0.4f), ScaleTo::create(0.4f, 0.8f), nullptr),
            MoveBy::create(0.6f, Vec2(0, 60)), DelayTime::create(0.8f - 0.2f * i), nullptr)));
        addChild(sprite);
    }
}

void SampleScene::addTurningCard(const std::string& front, const std::string& back) {
    Sprite* card = Sprite::create(front);
    card->setPosition(640, 330);
    card->setScale(1.4f);
    addChild(card, 1);
    // Turn edge-on, change face while invisible, turn back; then the same again.
    auto flipTo = [card](const std::string& picture) {
        return Sequence::create(RotateTo::create(0.5f, Vec3(0, 90, 0)),
                                CallFunc::create([card, picture] { card->setTexture(picture); }),
                                RotateTo::create(0.5f, Vec3(0, 0, 0)), DelayTime::create(0.8f), nullptr);
    };
    card->runAction(RepeatForever::create(Sequence::create(flipTo(back), flipTo(front), nullptr)));
}

void SampleScene::addClippedStrip(const std::string& picture) {
    auto* frame = LayerColor::create(Color4B(30, 40, 60, 255), 240, 130);
    frame->setPosition(20, 40);
    addChild(frame);
    auto* clip = ClippingRectangleNode::create(Rect(0, 0, 240, 130));
    clip->setPosition(20, 40);
    addChild(clip);
    Node* strip = Node::create();
    for (int i = 0; i < 6; ++i) {
        Sprite* sprite = Sprite::create(picture);
        sprite->setScale(0.4f);
        sprite->setPosition(20 + i * 60, 65);
        strip->addChild(sprite);
    }
    strip->runAction(RepeatForever::create(
        Sequence::create(MoveBy::create(2.0f, Vec2(-120, 0)), MoveBy::create(2.0f, Vec2(120, 0)), nullptr)));
    clip->addChild(strip);
}

void SampleScene::addTapListener(const std::string& picture) {
    auto* listener = EventListenerTouchOneByOne::create();
    listener->onTouchBegan = [this, picture](Touch* touch, Event*) {
        Sprite* spark = Sprite::create(picture);
        spark->setPosition(touch->getLocation());
        spark->setScale(0.3f);
        spark->runAction(
            Sequence::create(Spawn::create(FadeOut::create(0.6f), RotateBy::create(0.6f, 180), nullptr),
                             RemoveSelf::create(), nullptr));
        addChild(spark, 10);
        return true;
    };
    getEventDispatcher()->addEventListenerWithSceneGraphPriority(listener, this);
}
