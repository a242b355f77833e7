// The real Linux docks. A preset switch on GNOME Shell (the controller's activate, as the key
// panel's digit triggers it, to the favourites written through GSettings and dconf) next to
// what users script today, one `gsettings set` of the same list; both in a private session bus
// with dconf. And the desktop-entry scan of this machine's entries plus 500 generated ones, each
// in a fresh process so that GIO's cache of entries starts cold, as in a new settings window of
// a newly started program.
#include <benchmark/benchmark.h>
#include <gio/gio.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "app/platform/linux/DesktopEntries.h"
#include "app/platform/linux/gnome/GSettingsFavoritesStore.h"
#include "core/dock/DockController.h"
#include "core/model/JSONFileStateStorage.h"
#include "core/system/FileDockBackupStore.h"
#include "core/system/LiveDockRestarter.h"
#include "tests/e2e/AppHarness.h"

using namespace kestrine;
using namespace kestrine::e2e;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kGeneratedEntries = 500;
constexpr int kFavourites = 10;

std::vector<std::string> applicationIDs() {
    std::vector<std::string> ids;
    for (int i = 0; i < kFavourites + 2; ++i) ids.push_back("org.example.App" + std::to_string(i) + ".desktop");
    return ids;
}

// A sandbox whose session bus (with dconf behind GSettings) and folders this process uses.
struct DockWorld {
    Sandbox box;
    std::unique_ptr<Process> bus;
    std::string problem;

    DockWorld() {
        const auto daemon = findExecutable("dbus-daemon");
        if (!daemon) {
            problem = "needs dbus-daemon";
            return;
        }
        const fs::path socket = box.root / "bus";
        bus = std::make_unique<Process>(*daemon, std::vector<std::string>{"--session", "--nofork",
                                                                          "--address=unix:path=" + socket.string()},
                                        box.environment());
        if (!waitUntil([&] { return fs::exists(socket); })) problem = "the session bus did not start";
        for (const auto& entry : box.environment({"DBUS_SESSION_BUS_ADDRESS=unix:path=" + socket.string(),
                                                  "GSETTINGS_BACKEND=dconf"})) {
            const auto eq = entry.find('=');
            ::setenv(entry.substr(0, eq).c_str(), entry.substr(eq + 1).c_str(), 1);
        }
        for (const auto& id : applicationIDs())
            writeFileAtomically(box.dataHome() / "applications" / id,
                                "[Desktop Entry]\nType=Application\nName=" + id.substr(12) + "\nExec=true\n");
        if (problem.empty() && GSettingsFavoritesStore::unavailableReason())
            problem = *GSettingsFavoritesStore::unavailableReason();
    }
    // GSettings keeps a connection to this bus, and GDBus ends a program whose session bus goes
    // away (SIGTERM); the bus ends here, after the benchmarks, so this program must outlive it.
    ~DockWorld() {
        if (GDBusConnection* connection = bus ? g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr) : nullptr) {
            g_dbus_connection_set_exit_on_close(connection, FALSE);
            g_object_unref(connection);
        }
    }
};

DockWorld& world() {
    static DockWorld instance;
    return instance;
}

// The two lists the benchmarks switch between: ten favourites, and the same in another order
// with one replaced.
std::vector<std::string> favourites(bool second) {
    auto ids = applicationIDs();
    std::vector<std::string> list(ids.begin(), ids.begin() + kFavourites);
    if (second) {
        std::reverse(list.begin(), list.end());
        list[3] = ids[kFavourites + 1];
    }
    return list;
}

std::string gvariantList(const std::vector<std::string>& ids) {
    std::string text = "[";
    for (const auto& id : ids) text += (text.size() > 1 ? ", '" : "'") + id + "'";
    return text + "]";
}

void BM_GnomeSwitchFromPanel(benchmark::State& state) {
    auto& w = world();
    if (!w.problem.empty()) return state.SkipWithError(w.problem.c_str());
    const auto gsettings = findExecutable("gsettings");
    runCommand(*gsettings, {"set", "org.gnome.shell", "favorite-apps", gvariantList(favourites(false))},
               w.box.environment(), w.box.root);
    const fs::path folder = w.box.support() / "docks" / "gnome";
    fs::remove_all(folder);
    DockController controller(std::make_unique<GSettingsFavoritesStore>(), std::make_unique<LiveDockRestarter>(),
                              std::make_unique<FileDockBackupStore>(folder / "Backups", 20),
                              std::make_unique<JSONFileStateStorage>(folder / "state.json"));
    controller.bootstrap("Default", "🏠");
    std::vector<PresetApp> apps;
    for (const auto& id : favourites(true))
        apps.push_back(PresetApp{id, (w.box.dataHome() / "applications" / id).string(), id.substr(12)});
    const std::string other = controller.createPreset("Other", std::nullopt, apps).id;
    bool toOther = true;
    for (auto _ : state) {
        controller.activate(toOther ? other : std::string(Preset::defaultID));
        toOther = !toOther;
    }
}
BENCHMARK(BM_GnomeSwitchFromPanel)->UseRealTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

// What a user's script does for the same switch: one `gsettings set` of the whole list.
void BM_GsettingsSetCommand(benchmark::State& state) {
    auto& w = world();
    if (!w.problem.empty()) return state.SkipWithError(w.problem.c_str());
    const auto gsettings = findExecutable("gsettings");
    const std::string lists[] = {gvariantList(favourites(false)), gvariantList(favourites(true))};
    const auto environment = w.box.environment();
    int which = 0;
    for (auto _ : state) {
        const auto result = runCommand(*gsettings, {"set", "org.gnome.shell", "favorite-apps", lists[which]},
                                       environment, w.box.root);
        if (result.code != 0) return state.SkipWithError("gsettings set failed");
        which = 1 - which;
    }
}
BENCHMARK(BM_GsettingsSetCommand)->UseRealTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

// This program again, asked to scan once and print how long the scan took.
constexpr const char* scanOnceFlag = "--scan-desktop-entries-once";

void BM_DesktopEntryScan(benchmark::State& state) {
    Sandbox box;
    for (int i = 0; i < kGeneratedEntries; ++i) {
        const std::string name = "Generated Application " + std::to_string(i);
        writeFileAtomically(box.dataHome() / "applications" / ("org.example.Generated" + std::to_string(i) + ".desktop"),
                            "[Desktop Entry]\nType=Application\nName=" + name + "\nName[ja]=アプリ " +
                                std::to_string(i) + "\nExec=true %U\nIcon=application-x-executable\nCategories=Utility;\n");
    }
    const fs::path self = fs::read_symlink("/proc/self/exe");
    const auto environment = box.environment();
    std::size_t found = 0;
    double warmTotal = 0;
    for (auto _ : state) {
        const auto result = runCommand(self, {scanOnceFlag}, environment, box.root);
        double seconds = 0, warm = 0;
        if (result.code != 0 || std::sscanf(result.output.c_str(), "%lf %zu %lf", &seconds, &found, &warm) != 3)
            return state.SkipWithError("the scanning process failed");
        state.SetIterationTime(seconds);
        warmTotal += warm;
    }
    state.counters["entries"] = static_cast<double>(found);
    state.counters["warm_ms"] = 1000 * warmTotal / static_cast<double>(state.iterations());
}
BENCHMARK(BM_DesktopEntryScan)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], scanOnceFlag) == 0) {
        const auto start = Clock::now();
        const auto apps = DesktopEntries::scan();
        const std::chrono::duration<double> took = Clock::now() - start;
        // The same scan again, from GIO's cache of entries: what a later scan in the same run costs.
        const auto again = Clock::now();
        DesktopEntries::scan();
        const std::chrono::duration<double> warm = Clock::now() - again;
        std::printf("%.9f %zu %.9f\n", took.count(), apps.size(), warm.count());
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
