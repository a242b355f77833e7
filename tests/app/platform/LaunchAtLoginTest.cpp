#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

#include "app/LaunchAtLogin.h"
#include "app/Localization.h"
#include "app/platform/linux/XdgAutostartService.h"
#include "core/support/AtomicFile.h"
#include "tests/app/platform/PlatformTestSupport.h"
#include "tests/core/support/TempFolder.h"

using namespace kestrine;
using namespace kestrine::testing;
using Status = LoginItemService::Status;
namespace fs = std::filesystem;

namespace {

// The entry is written for programs in awkward folders, then started by a real desktop-entry
// launcher (GLib's, through `gio launch`): the program must get exactly its own path and
// "--login-item". A backslash, even before a sign the quoting escapes, stays a backslash.
TEST(XdgAutostart, AWrittenEntryStartsTheProgramWhereverItLives) {
    if (QProcess::execute("gio", {"version"}) != 0) GTEST_SKIP() << "needs gio";
    for (const std::string folder : {"plain", "a b", "d$x `q` \"t\" it's", "back\\$lash \\\\ ;&(x)|<y>", "line\nbreak"}) {
        SCOPED_TRACE(folder);
        TempFolder root;
        const fs::path program = root / folder / "bin/kestrine", out = root / "argv";
        writeFileAtomically(program, "#!/bin/sh\nprintf '%s\\n' \"$0\" \"$@\" > '" + out.string() + ".tmp' && mv '" +
                                         out.string() + ".tmp' '" + out.string() + "'\n");
        fs::permissions(program, fs::perms::owner_all);
        XdgAutostartService service(root / "config", program);
        service.registerItem();
        EXPECT_EQ(service.status(), Status::enabled);
        ASSERT_EQ(QProcess::execute("gio", {"launch", QString::fromStdString(service.entryPath().string())}), 0);
        ASSERT_TRUE(QTest::qWaitFor([&] { return fs::exists(out); }, 10000)) << "the program never ran";
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
    const std::pair<const char*, bool> rows[] = {
        {"[Desktop Entry]\nExec=kestrine\n", true},
        {"[Desktop Entry]\r\nHidden = true\r\n", false},
        {"[Desktop Entry]\nHidden=false\n", true},
        {"[Desktop Entry]\nX-GNOME-Autostart-enabled = false\n", false},
        {"[Desktop Entry]\n# Hidden=true\nNotHidden=true\n", true},
        {"[Desktop Entry]\nExec=kestrine\n[Desktop Action quit]\nHidden=true\n", true},
    };
    for (const auto& [text, enabled] : rows) {
        TempFolder config;
        writeFileAtomically(config / "autostart/kestrine.desktop", text);
        EXPECT_EQ(XdgAutostartService(config.path(), "/x/bin/kestrine").status(),
                  enabled ? Status::enabled : Status::notRegistered) << text;
    }
}

TEST(XdgAutostart, TheConfigFolderComesFromXdgOrTheSameHomeAsTheSupportFolder) {
    const Environment noHome{{"XDG_CONFIG_HOME", "relative/config"}};
    const fs::path home = AppPaths::homeDirectory(lookupIn(noHome)).value_or("");
    ASSERT_TRUE(home.is_absolute()) << "the user database names a home folder";
    const std::pair<Environment, fs::path> rows[] = {
        {{{"XDG_CONFIG_HOME", "/cfg"}, {"HOME", "/home/u"}}, "/cfg"},
        {{{"XDG_CONFIG_HOME", "rel"}, {"HOME", "/home/u"}}, "/home/u/.config"},
        {noHome, home / ".config"},
    };
    for (const auto& [env, expected] : rows) EXPECT_EQ(XdgAutostartService::defaultConfigHome(lookupIn(env)), expected);
}

TEST(XdgAutostart, OnlyAnInstalledProgramCountsAsAnApplication) {
    TempFolder prefix, bare;
    writeFileAtomically(prefix / "share/applications/kestrine.desktop", "[Desktop Entry]\n");
    const std::pair<fs::path, bool> rows[] = {
        {prefix / "bin/kestrine", true}, {prefix / "build/kestrine", false},
        {prefix / "bin/kestrine-dev", false}, {bare / "bin/kestrine", false},
    };
    for (const auto& [program, installed] : rows) EXPECT_EQ(isInstalledApplication(program), installed) << program;
}

TEST(LaunchAtLogin, TheSwitchWritesTheEntryOrSaysWhyNot) {
    struct Row {
        const char* name;
        bool blocked; // a file where the autostart folder belongs
        bool installed;
    };
    for (const Row& row : {Row{"written", false, true}, Row{"blocked", true, true}, Row{"not installed", false, false}}) {
        SCOPED_TRACE(row.name);
        TempFolder config;
        if (row.blocked) writeFileAtomically(config / "autostart", "not a folder");
        LaunchAtLogin login(std::make_unique<XdgAutostartService>(config.path(), "/p/bin/kestrine"), row.installed);
        EXPECT_FALSE(login.isEnabled());
        login.setEnabled(true);
        const bool works = row.installed && !row.blocked;
        std::error_code error;
        EXPECT_EQ(fs::is_regular_file(config / "autostart/kestrine.desktop", error), works);
        EXPECT_EQ(login.isEnabled(), works);
        EXPECT_EQ(login.errorMessage().has_value(), !works);
        if (works) continue;
        // Outside an installation the sentence says so; else the system's description names the place.
        EXPECT_EQ(*login.errorMessage() == Localization::tr("login.error.notBundle"), !row.installed);
        if (row.blocked) { EXPECT_TRUE(login.errorMessage()->contains(QString::fromStdString(config.path().string()))); }
    }
}

} // namespace
