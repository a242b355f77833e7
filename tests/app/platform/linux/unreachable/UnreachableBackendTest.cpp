#include "app/platform/linux/DesktopEntries.h"
#include "app/platform/linux/gnome/GSettingsFavoritesStore.h"
#include "app/platform/linux/plank/PlankDockStore.h"
#include "core/system/DockPreferencesError.h"
#include "tests/app/platform/linux/DocksTestSupport.h"

namespace kestrine::testing {
namespace {

TEST(UnreachableSettingsBackend, WritesFailAsUnavailableAndLeaveTheLaunchersAlone) {
    const auto launchers = docksRoot() / "launchers";
    GSettingsFavoritesStore gnome;
    PlankDockStore plank("dock1", launchers);
    const std::vector<plist::Dictionary> alpha{
        DockTile::make(*DesktopEntries::lookup("org.example.Alpha.desktop")).raw()};
    for (DockPreferencesStore* store : std::initializer_list<DockPreferencesStore*>{&gnome, &plank}) {
        const auto before = store->persistentApps();
        try {
            store->setPersistentApps(alpha);
            ADD_FAILURE() << "no error";
        } catch (const DockPreferencesError& error) {
            EXPECT_EQ(error.code(), DockPreferencesError::Code::unavailable);
        }
        EXPECT_EQ(store->persistentApps(), before);
    }
    std::error_code error;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(launchers, error), {}), 0);
}

} // namespace
} // namespace kestrine::testing
