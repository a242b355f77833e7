// The GNOME custom shortcut against the real schemas (gnome-settings-daemon-common), written to
// a keyfile settings backend in a temporary folder instead of the user's dconf database.
#include <gtest/gtest.h>

#include <gio/gio.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/platform/linux/gnome/GnomeCustomShortcut.h"

namespace kestrine {
namespace {

namespace fs = std::filesystem;

constexpr const char* otherPath = "/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/custom0/";

class GnomeCustomShortcutTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        char pattern[] = "/tmp/kestrine-gsettings-XXXXXX";
        folder = ::mkdtemp(pattern);
        ::setenv("GSETTINGS_BACKEND", "keyfile", 1);
        ::setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
    }
    static void TearDownTestSuite() { fs::remove_all(folder); }

    void SetUp() override {
        if (!GnomeCustomShortcut::isAvailable()) GTEST_SKIP() << "needs gnome-settings-daemon-common";
    }

    static std::string keyfile() {
        std::ifstream in(fs::path(folder) / "glib-2.0/settings/keyfile");
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    static std::vector<std::string> listed() {
        GSettings* list = g_settings_new(GnomeCustomShortcut::listSchema);
        gchar** values = g_settings_get_strv(list, GnomeCustomShortcut::listKey);
        std::vector<std::string> out;
        for (gchar** v = values; *v; ++v) out.emplace_back(*v);
        g_strfreev(values);
        g_object_unref(list);
        return out;
    }

    static inline std::string folder;
};

TEST_F(GnomeCustomShortcutTest, AddingTwiceOrRemovingLeavesTheUsersOtherShortcutsAlone) {
    // The user's own shortcut, as GNOME's keyboard settings make one.
    GSettings* list = g_settings_new(GnomeCustomShortcut::listSchema);
    const gchar* mine[] = {otherPath, nullptr};
    g_settings_set_strv(list, GnomeCustomShortcut::listKey, mine);
    GSettings* other = g_settings_new_with_path(GnomeCustomShortcut::bindingSchema, otherPath);
    g_settings_set_string(other, "name", "Terminal");
    g_settings_set_string(other, "command", "gnome-terminal");
    g_settings_set_string(other, "binding", "<Super>t");
    g_settings_sync();
    EXPECT_EQ(GnomeCustomShortcut::current(), std::nullopt);

    const GnomeCustomShortcut::Binding binding{"Kestrine key panel", "kestrine panel", "<Control><Alt>d"};
    ASSERT_TRUE(GnomeCustomShortcut::add(binding));
    EXPECT_EQ(listed(), (std::vector<std::string>{otherPath, GnomeCustomShortcut::path}));
    EXPECT_EQ(GnomeCustomShortcut::current(), binding);
    const std::string written = keyfile();
    EXPECT_NE(written.find("[org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/kestrine]"), std::string::npos)
        << written;
    EXPECT_NE(written.find("binding='<Control><Alt>d'"), std::string::npos) << written;

    ASSERT_TRUE(GnomeCustomShortcut::add(binding));
    EXPECT_EQ(keyfile(), written) << "a second press changes nothing";

    // A changed shortcut replaces the binding in place.
    ASSERT_TRUE(GnomeCustomShortcut::add({binding.name, binding.command, "<Super>k"}));
    EXPECT_EQ(listed().size(), 2u);
    EXPECT_EQ(GnomeCustomShortcut::current()->binding, "<Super>k");

    ASSERT_TRUE(GnomeCustomShortcut::remove());
    EXPECT_EQ(listed(), std::vector<std::string>{otherPath});
    EXPECT_EQ(GnomeCustomShortcut::current(), std::nullopt);
    gchar* kept = g_settings_get_string(other, "binding");
    EXPECT_STREQ(kept, "<Super>t");
    g_free(kept);
    g_object_unref(other);
    g_object_unref(list);
}

}  // namespace
}  // namespace kestrine
