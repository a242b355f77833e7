// An AppModel over the recording fakes with a few presets, a hot-key centre that registers
// nothing, and a panel controller whose screen is fixed.
#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <QTest>

#include <gtest/gtest.h>

#include "app/HotKeyCenter.h"
#include "app/panel/FloatingPanelController.h"
#include "app/panel/KeyPanel.h"
#include "app/panel/MiniDockView.h"
#include "core/hotkey/HotKeyStorage.h"
#include "tests/app/support/ModelFixture.h"

namespace kestrine::testing {

struct FixedHotKeyStorage final : HotKeyStorage {
    HotKeySpec load() override { return HotKeySpec::defaultSpec(); }
    void save(const HotKeySpec&) override {}
};

class PanelTest : public ::testing::Test, public ModelFixture {
protected:
    void SetUp() override {
        system->setDock({appTile("com.a", 1), appTile("com.b", 2), spacerTile(3), appTile("com.c", 4)});
        model = build();
        model->reload();
    }
    void TearDown() override {
        controller.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // Adds presets until there are `count`, named "P2", "P3", ..., each holding one Dock app,
    // then makes the first one active, with the Dock written.
    void havePresets(int count) {
        const char* ids[] = {"com.a", "com.b", "com.c"};
        for (int i = int(model->presets().size()); i < count; ++i)
            ASSERT_TRUE(model->createPreset("P" + std::to_string(i + 1), std::nullopt, {ids[i % 3]}));
        activateNow(0);
    }
    // Makes the preset at `index` the active one, with the Dock written and the call log cleared.
    void activateNow(int index) {
        model->activate(index);
        model->flushPending();
        system->log.clear();
    }
    // A fresh controller over the model, its panel shown.
    void showPanel() {
        controller = std::make_unique<FloatingPanelController>(*model, center);
        controller->setAreaProvider([this] { return area; });
        controller->show();
    }
    // Sends a key press to `to` (the shown panel) the way the window system delivers it; true when consumed.
    bool press(Qt::Key key, const QString& text = {}, Qt::KeyboardModifiers modifiers = {}, QWidget* to = nullptr) {
        QKeyEvent event(QEvent::KeyPress, key, modifiers, text);
        QApplication::sendEvent(to ? to : controller->panel(), &event);
        return event.isAccepted();
    }
    std::string presetID(int index) const { return model->presets().at(std::size_t(index)).id; }

    QRect area{0, 0, 1440, 900};  // the free area of the screen the panel appears on
    HotKeyCenter center{std::make_unique<FixedHotKeyStorage>(),
                        [](std::uint32_t, std::uint8_t, HotKey::Handler) -> std::unique_ptr<HotKey> { return nullptr; },
                        [](const std::string&) {}};
    std::unique_ptr<FloatingPanelController> controller;
};

}  // namespace kestrine::testing
