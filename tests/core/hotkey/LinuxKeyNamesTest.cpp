#include <gtest/gtest.h>

#include "core/hotkey/LinuxKeyNames.h"

namespace kestrine {
namespace {

using M = HotKeySpec::Modifiers;

TEST(LinuxKeyNames, ShortcutsReadAsLinuxDesktopsWriteThem) {
    struct Case {
        HotKeySpec spec;
        std::string shown, accelerator;
    };
    const std::vector<Case> cases{
        {HotKeySpec::defaultSpec(), "Ctrl+Alt+D", "<Control><Alt>d"},
        // Modifiers always in one order, whatever order they are held in.
        {HotKeySpec(0, M{M::command, M::shift, M::option, M::control}), "Ctrl+Alt+Shift+Super+A",
         "<Control><Alt><Shift><Super>a"},
        {HotKeySpec(36, M::command), "Super+Return", "<Super>Return"},
        {HotKeySpec(51, M::control), "Ctrl+Backspace", "<Control>BackSpace"},
        {HotKeySpec(116, M::option), "Alt+Page Up", "<Alt>Page_Up"},
        {HotKeySpec(123, M::control), "Ctrl+Left", "<Control>Left"},
        {HotKeySpec(49, M::control), "Ctrl+Space", "<Control>space"},
        {HotKeySpec(27, M::control), "Ctrl+-", "<Control>minus"},
        {HotKeySpec(122, M::control), "Ctrl+F1", "<Control>F1"},
        {HotKeySpec(18, M::option), "Alt+1", "<Alt>1"},
        {HotKeySpec(200, M::control), "Ctrl+?", "<Control>"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LinuxKeyNames::displayString(c.spec), c.shown);
        EXPECT_EQ(LinuxKeyNames::accelerator(c.spec), c.accelerator) << c.shown;
    }
}

}  // namespace
}  // namespace kestrine
