// What the settings-window tests share: the headers of the window's parts, a login-item service
// and hot keys kept in memory, pictures of a view, and the check that widgets lie apart.
#pragma once

#include "app/HotKeyCenter.h"
#include "app/LaunchAtLogin.h"
#include "app/Localization.h"
#include "app/SettingsWindowController.h"
#include "app/ShortcutRecorder.h"
#include "app/layout/WidgetRoom.h"
#include "app/platform/linux/X11Desktop.h"
#include "app/settings/AddAppsTile.h"
#include "app/settings/AnimatedFlowLayout.h"
#include "app/settings/AppPickTile.h"
#include "app/settings/DockShelfView.h"
#include "app/settings/EmojiChip.h"
#include "app/settings/ErrorBanner.h"
#include "app/settings/FooterBar.h"
#include "app/settings/HeaderView.h"
#include "app/settings/MorePopover.h"
#include "app/settings/NewPresetCard.h"
#include "app/settings/PresetCard.h"
#include "app/settings/PresetCardsView.h"
#include "app/settings/PresetEditor.h"
#include "app/settings/SettingsView.h"
#include "app/settings/ShelfHeader.h"
#include "app/settings/ShelfTile.h"
#include "app/settings/ShortcutRow.h"
#include "app/settings/WaylandShortcutNote.h"
#include "app/style/IconButton.h"
#include "app/style/KeyButton.h"
#include "app/style/KeyCap.h"
#include "app/style/Palette.h"
#include "app/style/PaletteLabel.h"
#include "app/style/ReduceMotion.h"
#include "app/style/ToggleSwitch.h"
#include "core/model/PresetStyle.h"
#include "tests/app/support/ModelFixture.h"
#include "tests/app/support/RenderSupport.h"

#include <QTest>
#include <QtWidgets>

#include <gtest/gtest.h>

#include <stdexcept>

namespace kestrine::testing {

using Ids = std::vector<std::string>;

/// The system's login items as one status; registering and unregistering can be made to fail.
struct FakeLoginItems final : LoginItemService {
    struct Shared { Status status = Status::notRegistered; bool refuse = false; int registrations = 0; };
    std::shared_ptr<Shared> shared;
    explicit FakeLoginItems(std::shared_ptr<Shared> s) : shared(std::move(s)) {}
    Status status() const override { return shared->status; }
    void registerItem() override { ++shared->registrations, set(Status::enabled); }
    void unregisterItem() override { set(Status::notRegistered); }
    void set(Status next) {
        if (shared->refuse) throw std::runtime_error("The operation couldn't be completed.");
        shared->status = next;
    }
};

/// Hot keys that always register, and a shortcut file in memory.
struct MemoryHotKeys {
    using Combo = std::pair<std::uint32_t, std::uint8_t>;
    struct Key final : HotKey {
        std::set<Combo>* live;
        Combo combo;
        Key(std::set<Combo>* l, Combo c) : live(l), combo(c) { live->insert(c); }
        ~Key() override { live->erase(combo); }
    };
    struct Storage final : HotKeyStorage {
        std::optional<HotKeySpec>* stored;
        explicit Storage(std::optional<HotKeySpec>* s) : stored(s) {}
        HotKeySpec load() override { return stored->value_or(HotKeySpec::defaultSpec()); }
        void save(const HotKeySpec& spec) override { *stored = spec; }
    };
    std::set<Combo> live;
    std::optional<HotKeySpec> stored;

    std::unique_ptr<HotKeyCenter> makeCenter() {
        auto factory = [this](std::uint32_t code, std::uint8_t mods, HotKey::Handler) -> std::unique_ptr<HotKey> { return std::make_unique<Key>(&live, Combo{code, mods}); };
        return std::make_unique<HotKeyCenter>(std::make_unique<Storage>(&stored), factory, [](const std::string&) {});
    }
};

/// Control-Option-K, a shortcut other than the default.
inline const HotKeySpec controlOptionK{40, HotKeySpec::Modifiers{HotKeySpec::Modifiers::control, HotKeySpec::Modifiers::option}};

/// Settles `widget` and grabs it, keeping the picture ($KESTRINE_SHOTS_DIR, or
/// <temp>/kestrine-shots/settings) for a person to look at, light or dark as drawn.
inline QImage shoot(QWidget* widget, const QString& name) {
    for (int round = 0; round < 2; ++round) settle(widget), QCoreApplication::processEvents();
    const QImage image = widget->grab().toImage();
    image.save(shotsDirectory(QStringLiteral("settings")).filePath(name + (Palette::isDark() ? "-dark.png" : "-light.png")));
    return image;
}

/// The colour at `p` in `w`'s coordinates, in a picture of `root`.
inline QColor colorIn(const QImage& image, QWidget* root, QWidget* w, QPointF p) { return colorAt(image, w->mapTo(root, p.toPoint())); }

/// Checks the shown ones of `widgets`, children of one parent that stands at `origin` in the
/// coordinates of `bounds`: the visible part of each inside `bounds`, none overlapping, and each,
/// with the room around it, inside the parent, where nothing cuts off its shadow. Returns the left
/// edge of each line of them by its top.
inline std::map<int, int> expectApart(const auto& widgets, const QRect& bounds, QPoint origin = {}) {
    std::vector<QRect> rects;
    std::map<int, int> lineStarts;
    for (const QWidget* w : widgets) {
        if (w->isHidden() || w->isWindow()) continue;
        const QRect r = WidgetRoom::shown(w).translated(origin);
        EXPECT_TRUE(w->parentWidget()->rect().contains(w->geometry()) && bounds.contains(r)) << w->objectName().toStdString();
        for (const QRect& other : rects) EXPECT_FALSE(other.intersects(r)) << w->objectName().toStdString();
        auto line = lineStarts.emplace(r.top(), r.left()).first;
        line->second = std::min(line->second, r.left());
        rects.push_back(r);
    }
    return lineStarts;
}

} // namespace kestrine::testing
