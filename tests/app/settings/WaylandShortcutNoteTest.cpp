// The shortcut row in a Wayland session: it tells where the shortcut must be set and copies the
// command to run; an X11 session shows no such note.
#include <QClipboard>
#include <QGuiApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "app/HotKeyCenter.h"
#include "app/ShortcutRecorder.h"
#include "app/settings/ShortcutRow.h"
#include "app/settings/WaylandShortcutNote.h"
#include "app/style/KeyButton.h"
#include "app/style/PaletteLabel.h"
#include "tests/app/settings/SettingsViewTestSupport.h"

namespace kestrine {
namespace {

class WaylandShortcutNoteTest : public ::testing::Test {
protected:
    void TearDown() override {
        for (const auto& [name, value] : saved)
            value ? ::setenv(name.c_str(), value->c_str(), 1) : ::unsetenv(name.c_str());
    }
    void setSession(const std::optional<std::string>& type, const std::optional<std::string>& display) {
        for (const auto& [name, value] : {std::pair{"XDG_SESSION_TYPE", type}, std::pair{"WAYLAND_DISPLAY", display}}) {
            const char* old = std::getenv(name);
            saved.emplace(name, old ? std::optional<std::string>(old) : std::nullopt);
            value ? ::setenv(name, value->c_str(), 1) : ::unsetenv(name);
        }
    }
    std::map<std::string, std::optional<std::string>> saved;
    kestrine::testing::MemoryHotKeys hotKeys;
};

TEST_F(WaylandShortcutNoteTest, OnlyAWaylandSessionExplainsWhereToSetTheShortcutAndCopiesTheCommand) {
    struct Case {
        std::optional<std::string> type, display;
        bool note;
    };
    const std::vector<Case> cases{
        {"x11", std::nullopt, false},
        {std::nullopt, std::nullopt, false},
        {"wayland", std::nullopt, true},
        {"tty", "wayland-0", true},
        {std::nullopt, "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type.value_or("-") + "/" + c.display.value_or("-"));
        setSession(c.type, c.display);
        auto center = hotKeys.makeCenter();
        ShortcutRecorder recorder(*center);
        ShortcutRow row(*center, recorder);
        auto* note = row.findChild<WaylandShortcutNote*>();
        ASSERT_EQ(note != nullptr, c.note);
        TearDown();
        saved.clear();
        if (!note) continue;
        EXPECT_TRUE(note->body()->text().contains(WaylandShortcutNote::panelCommand()));
        QGuiApplication::clipboard()->clear();
        note->copyButton()->click();
        EXPECT_EQ(QGuiApplication::clipboard()->text(), WaylandShortcutNote::panelCommand());
        EXPECT_TRUE(WaylandShortcutNote::panelCommand().endsWith(QStringLiteral(" panel")));
    }
}

}  // namespace
}  // namespace kestrine
