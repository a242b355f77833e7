// The dock stores over dconf with no D-Bus session to reach it: writes must fail clearly
// and leave the launcher files as they were.
#include "app/platform/linux/gnome/GSettingsFavoritesStore.h"
#include "app/platform/linux/plank/PlankDockStore.h"
#include "tests/app/platform/linux/DocksTestSupport.h"

namespace kestrine::testing {

void prepareDocksWorld(const std::filesystem::path& root) {
    // The schemas of the system; no bus, not even one started on the X server's behalf.
    setEnvironment({{"GSETTINGS_BACKEND", "dconf"}, {"GSETTINGS_SCHEMA_DIR", {}}, {"DBUS_SESSION_BUS_ADDRESS", {}}, {"XDG_DATA_DIRS", {}},
                    {"DISPLAY", {}}, {"XDG_RUNTIME_DIR", root.string()}, {"XDG_CONFIG_HOME", (root / "config").string()}});
}

TEST(UnreachableSettingsBackend, WritesFailAsUnavailableAndLeaveTheLaunchersAlone) {
    GSettingsFavoritesStore gnome;
    PlankDockStore plank("dock1", docksRoot / "launchers");
    const std::vector alpha{DockTile::make(PresetApp("org.example.Alpha.desktop", (docksRoot / "alpha.desktop").string(), "Alpha")).raw()};
    for (DockPreferencesStore* store : std::initializer_list<DockPreferencesStore*>{&gnome, &plank}) {
        const auto before = store->persistentApps();
        EXPECT_THAT([&] { store->setPersistentApps(alpha); }, throwsDockError(DockPreferencesError::Code::unavailable));
        EXPECT_EQ(store->persistentApps(), before);
    }
    EXPECT_FALSE(std::filesystem::exists(docksRoot / "launchers") && !std::filesystem::is_empty(docksRoot / "launchers"));
}

} // namespace kestrine::testing
