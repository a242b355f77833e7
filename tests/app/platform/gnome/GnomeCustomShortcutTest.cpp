// The GNOME custom shortcut against the real schemas (gnome-settings-daemon-common), written to
// a keyfile settings backend in a temporary folder instead of the user's dconf database.
#include <gtest/gtest.h>

#include <gio/gio.h>

#include <array>

#include "app/platform/linux/gnome/GnomeCustomShortcut.h"
#include "core/support/AtomicFile.h"
#include "tests/core/support/TempFolder.h"

namespace kestrine {

using Shortcut = GnomeCustomShortcut;
using Paths = std::vector<std::string>;

TEST(GnomeCustomShortcutTest, AddingTwiceOrRemovingLeavesTheUsersOtherShortcutsAlone) {
    testing::TempFolder folder;
    ::setenv("GSETTINGS_BACKEND", "keyfile", 1);
    ::setenv("XDG_CONFIG_HOME", folder.path().c_str(), 1);
    if (!Shortcut::isAvailable()) GTEST_SKIP() << "needs gnome-settings-daemon-common";
    g_autoptr(GSettings) list = g_settings_new(Shortcut::listSchema);
    auto listed = [&list] {
        g_auto(GStrv) values = g_settings_get_strv(list, Shortcut::listKey);
        return Paths(values, values + g_strv_length(values));
    };
    auto keyfile = [&folder] { return readFile(folder / "glib-2.0/settings/keyfile"); };
    // The user's own shortcut, as GNOME's keyboard settings make one.
    const std::string mine = "/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/custom0/";
    g_settings_set_strv(list, Shortcut::listKey, std::array<const gchar*, 2>{mine.c_str(), nullptr}.data());
    g_autoptr(GSettings) other = g_settings_new_with_path(Shortcut::bindingSchema, mine.c_str());
    g_settings_set_string(other, "binding", "<Super>t");
    g_settings_sync();
    EXPECT_EQ(Shortcut::current(), std::nullopt);

    const Shortcut::Binding binding{"Kestrine key panel", "kestrine panel", "<Control><Alt>d"};
    ASSERT_TRUE(Shortcut::add(binding));
    EXPECT_EQ(std::pair(listed(), Shortcut::current()), std::pair(Paths{mine, Shortcut::path}, std::optional(binding)));
    const std::string written = keyfile();
    EXPECT_NE(written.find("[org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/kestrine]"), std::string::npos) << written;
    ASSERT_TRUE(Shortcut::add(binding));
    EXPECT_EQ(keyfile(), written) << "a second press changes nothing";
    // A changed shortcut replaces the binding in place.
    ASSERT_TRUE(Shortcut::add({binding.name, binding.command, "<Super>k"}));
    EXPECT_EQ(std::pair(listed().size(), Shortcut::current()->binding), std::pair(std::size_t{2}, std::string("<Super>k")));
    // Removed, its keys go too; the user's own shortcut stays.
    ASSERT_TRUE(Shortcut::remove());
    EXPECT_EQ(std::pair(listed(), Shortcut::current()), std::pair(Paths{mine}, std::optional<Shortcut::Binding>()));
    const std::string left = keyfile();
    EXPECT_EQ(std::pair(left.find("kestrine panel"), left.find("<Super>t") != std::string::npos), std::pair(std::string::npos, true)) << left;
}

} // namespace kestrine
