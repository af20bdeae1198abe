#include "widgets/Notice.h"

#include "engine/2d/Node.h"
#include "engine/2d/actions/FadeIn.h"
#include "engine/platform/MessageBox.h"
#include "widgets/AlertView.h"

void Notice::show(engine::Node* scene, const std::string& message, const std::string& title) {
    show(scene, message, title, false);
}

void Notice::showFailure(engine::Node* scene, const std::string& message, const std::string& title) {
    show(scene, message, title, true);
}

void Notice::show(engine::Node* scene, const std::string& message, const std::string& title, bool failure) {
    const auto icon = failure ? engine::MessageBoxIcon::failure : engine::MessageBoxIcon::information;
    if (engine::MessageBox(message.c_str(), title.c_str(), icon) || !scene) {
        return;
    }
    AlertView* box = AlertView::create(title + "\n" + message);
    if (!box) {
        return;
    }
    // There is nothing to decide: one OK, and every way out just closes it.
    box->informOnly();
    box->onOk = [](AlertView* shown) { shown->close(); };
    box->onOutside = box->onOk;
    scene->addChild(box);
    box->setOpacity(0);
    box->runAction(engine::FadeIn::create(AlertView::kFadeDuration));
}
