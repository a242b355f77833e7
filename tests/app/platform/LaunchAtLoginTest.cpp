#include <gtest/gtest.h>

#include <fstream>

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

TEST(XdgAutostart, EnablingWritesAnEntryThatStartsTheProgramAsALoginItem) {
    TempFolder config;
    XdgAutostartService service(config.path(), "/opt/kestrine/bin/kestrine");
    EXPECT_EQ(service.status(), Status::notRegistered);
    service.registerItem();
    EXPECT_EQ(service.status(), Status::enabled);
    auto text = readFile(config / "autostart/kestrine.desktop");
    EXPECT_NE(text.find("Exec=\"/opt/kestrine/bin/kestrine\" --login-item\n"), std::string::npos);
    EXPECT_NE(text.find("Type=Application\n"), std::string::npos);
    service.unregisterItem();
    EXPECT_EQ(service.status(), Status::notRegistered);
    service.unregisterItem(); // already gone: not an error
}

TEST(XdgAutostart, AnEntryHiddenByTheUserCountsAsOff) {
    TempFolder config;
    writeFileAtomically(config / "autostart/kestrine.desktop", "[Desktop Entry]\nHidden=true\n");
    EXPECT_EQ(XdgAutostartService(config.path(), "/x/bin/kestrine").status(), Status::notRegistered);
}

TEST(XdgAutostart, ExecQuotesSpecialCharacters) {
    auto text = XdgAutostartService::entryText("/home/a b/$x\\y/bin/kestrine");
    EXPECT_NE(text.find("Exec=\"/home/a b/\\\\$x\\\\\\\\y/bin/kestrine\" --login-item"), std::string::npos);
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
