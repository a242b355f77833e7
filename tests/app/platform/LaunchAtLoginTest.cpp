#include <QDeadlineTimer>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include "app/LaunchAtLogin.h"
#include "app/Localization.h"
#include "app/platform/linux/KeyCodeMap.h"
#include "app/platform/linux/XdgAutostartService.h"
#include "core/hotkey/HotKeySpec.h"
#include "core/support/AtomicFile.h"
#include "tests/core/support/TempFolder.h"

using namespace kestrine;
using kestrine::testing::TempFolder;
using Status = LoginItemService::Status;

namespace {

bool haveGio() {
    return QProcess::execute("gio", {"version"}) == 0;
}

// The entry is written for programs in awkward folders, then started by a real desktop-entry
// launcher (GLib's, through `gio launch`): the program must get exactly its own path and
// "--login-item".
TEST(XdgAutostart, AWrittenEntryStartsTheProgramWhereverItLives) {
    if (!haveGio()) GTEST_SKIP() << "needs gio";
    for (const std::string folder : {"plain", "a b", "d$x `q` \"t\" it's", "back\\slash;&(x)|<y>", "line\nbreak"}) {
        SCOPED_TRACE(folder);
        TempFolder root;
        const std::filesystem::path program = root / folder / "bin/kestrine";
        const std::filesystem::path out = root / "argv";
        writeFileAtomically(program, "#!/bin/sh\nprintf '%s\\n' \"$0\" \"$@\" > '" + out.string() + ".tmp' && mv '" +
                                         out.string() + ".tmp' '" + out.string() + "'\n");
        std::filesystem::permissions(program, std::filesystem::perms::owner_all);
        XdgAutostartService service(root / "config", program);
        service.registerItem();
        EXPECT_EQ(service.status(), Status::enabled);
        ASSERT_EQ(QProcess::execute("gio", {"launch", QString::fromStdString(service.entryPath().string())}), 0);
        QDeadlineTimer deadline(10000);
        while (!std::filesystem::exists(out) && !deadline.hasExpired()) QThread::msleep(20);
        ASSERT_TRUE(std::filesystem::exists(out)) << "the program never ran";
        EXPECT_EQ(readFile(out), program.string() + "\n--login-item\n");
        service.unregisterItem();
        EXPECT_EQ(service.status(), Status::notRegistered);
        service.unregisterItem(); // already gone: not an error
    }
}

TEST(XdgAutostart, APercentSignIsWrittenAsALiteralNotAFieldCode) {
    // GLib's launcher checks that the program exists before expanding "%%", so it cannot
    // start a program under such a folder at all; the format asks for the doubled sign.
    const std::string text = XdgAutostartService::entryText("/opt/100%/bin/kestrine");
    EXPECT_NE(text.find("Exec=/opt/100%%/bin/kestrine --login-item\n"), std::string::npos) << text;
}

TEST(XdgAutostart, AnEntryTurnedOffByTheUserOrTheDesktopCountsAsOff) {
    struct Row {
        const char* text;
        bool enabled;
    };
    const Row rows[] = {
        {"[Desktop Entry]\nExec=kestrine\n", true},
        {"[Desktop Entry]\r\nHidden = true\r\n", false},
        {"[Desktop Entry]\nHidden=false\n", true},
        {"[Desktop Entry]\nX-GNOME-Autostart-enabled = false\n", false},
        {"[Desktop Entry]\n# Hidden=true\nNotHidden=true\n", true},
        {"[Desktop Entry]\nExec=kestrine\n[Desktop Action quit]\nHidden=true\n", true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        TempFolder config;
        writeFileAtomically(config / "autostart/kestrine.desktop", row.text);
        EXPECT_EQ(XdgAutostartService(config.path(), "/x/bin/kestrine").status(),
                  row.enabled ? Status::enabled : Status::notRegistered);
    }
}

TEST(XdgAutostart, TheConfigFolderComesFromXdgOrTheSameHomeAsTheSupportFolder) {
    using Env = std::map<std::string, std::string>;
    auto lookup = [](const Env& env) {
        return [env](const std::string& name) -> std::optional<std::string> {
            auto it = env.find(name);
            return it == env.end() ? std::nullopt : std::optional(it->second);
        };
    };
    const Env noHome{{"XDG_CONFIG_HOME", "relative/config"}};
    const std::filesystem::path home = AppPaths::homeDirectory(lookup(noHome)).value_or("");
    ASSERT_TRUE(home.is_absolute()) << "the user database names a home folder";
    const std::pair<Env, std::filesystem::path> rows[] = {
        {{{"XDG_CONFIG_HOME", "/cfg"}, {"HOME", "/home/u"}}, "/cfg"},
        {{{"XDG_CONFIG_HOME", "rel"}, {"HOME", "/home/u"}}, "/home/u/.config"},
        {noHome, home / ".config"},
    };
    for (const auto& [env, expected] : rows) EXPECT_EQ(XdgAutostartService::defaultConfigHome(lookup(env)), expected);
}

TEST(XdgAutostart, OnlyAnInstalledProgramCountsAsAnApplication) {
    TempFolder prefix;
    writeFileAtomically(prefix / "share/applications/kestrine.desktop", "[Desktop Entry]\n");
    EXPECT_TRUE(isInstalledApplication(prefix / "bin/kestrine"));
    EXPECT_FALSE(isInstalledApplication(prefix / "build/kestrine"));
    EXPECT_FALSE(isInstalledApplication(prefix / "bin/kestrine-dev"));
    TempFolder bare;
    EXPECT_FALSE(isInstalledApplication(bare / "bin/kestrine"));
}

TEST(LaunchAtLogin, TheSwitchFollowsTheEntryAndReportsFailures) {
    TempFolder config;
    LaunchAtLogin login(std::make_unique<XdgAutostartService>(config.path(), "/p/bin/kestrine"), true);
    EXPECT_FALSE(login.isEnabled());
    login.setEnabled(true);
    EXPECT_TRUE(login.isEnabled());
    EXPECT_FALSE(login.errorMessage());

    // A file where the autostart folder should be: the entry cannot be written.
    TempFolder blocked;
    writeFileAtomically(blocked / "autostart", "not a folder");
    LaunchAtLogin refused(std::make_unique<XdgAutostartService>(blocked.path(), "/p/bin/kestrine"), true);
    refused.setEnabled(true);
    ASSERT_TRUE(refused.errorMessage());
    // The system's description, naming the place, inside the localised sentence.
    EXPECT_TRUE(refused.errorMessage()->contains(QString::fromStdString(blocked.path().string())));
    EXPECT_NE(*refused.errorMessage(), Localization::tr("login.error.notBundle"));
    EXPECT_EQ(refused.status(), Status::notRegistered);
}

TEST(LaunchAtLogin, AProgramOutsideAnInstallationCannotChangeTheItem) {
    TempFolder config;
    LaunchAtLogin login(std::make_unique<XdgAutostartService>(config.path(), "/p/build/kestrine"), false);
    login.setEnabled(true);
    EXPECT_EQ(login.errorMessage(), Localization::tr("login.error.notBundle"));
    EXPECT_FALSE(std::filesystem::exists(config / "autostart/kestrine.desktop"));
}

TEST(KeyCodeMap, EveryNamedShortcutKeyHasAnXKeyAndMapsBack) {
    int named = 0;
    for (std::uint32_t code = 0; code < 256; ++code) {
        auto keysym = linux_keys::keysymForKeyCode(code);
        EXPECT_EQ(keysym.has_value(), HotKeySpec::keyName(code).has_value()) << code;
        if (!keysym) continue;
        ++named;
        EXPECT_EQ(linux_keys::keyCodeForKeysym(*keysym), code);
    }
    EXPECT_EQ(named, 82);
    EXPECT_EQ(linux_keys::keyCodeForKeysym('D'), 2u); // upper case names the same key
    EXPECT_EQ(linux_keys::keyCodeForKeysym('!'), 18u); // Shift+1 on the US layout
}

} // namespace
