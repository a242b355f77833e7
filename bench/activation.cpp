// Speed of switching presets end to end over the real file-backed ports: `activate` with
// a 40-tile Dock and a full backup history, next to its floor, the three atomic file
// writes of the same sizes (backup, Dock preferences, state file).
#include "core/dock/DockController.h"
#include "core/model/JSONFileStateStorage.h"
#include "core/plist/PlistCoding.h"
#include "core/support/AtomicFile.h"
#include "core/system/FileDockBackupStore.h"
#include "core/system/PlistFileDockStore.h"

#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <filesystem>
#include <random>

using namespace kestrine;
using plist::Value;
namespace fs = std::filesystem;

namespace {

constexpr int kTiles = 40;
constexpr int kHistory = 20;

/// A tile shaped like those the Dock writes: about 1 KB, most of it the bookmark blob.
plist::Dictionary realisticTile(int n, std::mt19937_64& rng) {
    plist::Data book(600);
    for (auto& b : book) b = static_cast<std::uint8_t>(rng());
    std::string name = "Application " + std::to_string(n);
    plist::Dictionary data{
        {"book", Value(std::move(book))},
        {"bundle-identifier", Value("com.example.app" + std::to_string(n))},
        {"dock-extra", Value(false)},
        {"file-data", Value(plist::Dictionary{{"_CFURLString", Value(DockTile::fileURLString("/Applications/" + name + ".app"))},
                                              {"_CFURLStringType", Value(15)}})},
        {"file-label", Value(name)},
        {"file-mod-date", Value(plist::Date{7.2e8 + n})},
        {"file-type", Value(41)},
        {"parent-mod-date", Value(plist::Date{7.1e8 + n})},
    };
    return {{"GUID", Value(static_cast<std::int64_t>(rng() >> 2))},
            {"tile-data", Value(std::move(data))},
            {"tile-type", Value("file-tile")}};
}

struct NoRestart : DockRestarter {
    void restart() override {}
};

/// A temporary home with a 40-tile Dock, a full backup history and two presets: all 40
/// applications, and 30 of them in another order. Activating them in turn rewrites the
/// Dock every time.
struct Home {
    fs::path root;
    fs::path domain, backups, state;
    std::int64_t millis = 0;
    std::unique_ptr<DockController> controller;
    std::string all = "default", some;

    Home() {
        std::string pattern = (fs::temp_directory_path() / "kestrine-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        root = pattern;
        domain = root / "config/com.apple.dock.plist";
        backups = root / "data/Kestrine/Backups";
        state = root / "data/Kestrine/state.json";

        std::mt19937_64 rng(7);
        plist::Array tiles;
        for (int i = 0; i < kTiles; ++i) tiles.emplace_back(realisticTile(i, rng));
        plist::Dictionary dock{{"persistent-apps", Value(tiles)},
                               {"persistent-others", Value(plist::Array{})},
                               {"tilesize", Value(48.0)},
                               {"mod-count", Value(311)}};
        writeFileAtomically(domain, plist::toBinary(Value(dock)));

        auto clock = [this] { return std::chrono::system_clock::time_point(std::chrono::milliseconds(1'700'000'000'000 + ++millis)); };
        FileDockBackupStore history(backups, kHistory, clock);
        for (int i = 0; i <= kHistory; ++i) history.saveBackup(dock);

        controller = std::make_unique<DockController>(
            std::make_unique<PlistFileDockStore>(domain, clock), std::make_unique<NoRestart>(),
            std::make_unique<FileDockBackupStore>(backups, kHistory, clock), std::make_unique<JSONFileStateStorage>(state));
        controller->bootstrap("Home", "🏠");
        auto apps = controller->dockApps();
        std::vector<PresetApp> fewer(apps.rbegin() + 10, apps.rend());
        some = controller->createPreset("Some", std::nullopt, fewer).id;
    }
    ~Home() {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
};

void BM_Activate(benchmark::State& st) {
    Home home;
    bool toggle = false;
    for (auto _ : st) {
        toggle = !toggle;
        auto result = home.controller->activate(toggle ? home.some : home.all);
        if (!result.changed) st.SkipWithError("activation did not rewrite the Dock");
        benchmark::DoNotOptimize(result);
    }
    st.counters["history"] = static_cast<double>(FileDockBackupStore(home.backups, kHistory).history().size());
}
BENCHMARK(BM_Activate)->Unit(benchmark::kMillisecond)->UseRealTime();

/// The floor: three atomic writes of the sizes one activation writes.
void BM_ActivateFloor_ThreeAtomicWrites(benchmark::State& st) {
    Home home;
    home.controller->activate(home.some);
    auto size = [](const fs::path& p) { return static_cast<std::size_t>(fs::file_size(p)); };
    const std::string backup(size(FileDockBackupStore(home.backups, kHistory).history().back()), 'b');
    const std::string dock(size(home.domain), 'd');
    const std::string state(size(home.state), 's');
    st.counters["bytes"] = static_cast<double>(backup.size() + dock.size() + state.size());
    fs::path folder = home.root / "floor";
    for (auto _ : st) {
        writeFileAtomically(folder / "backup.plist", backup);
        writeFileAtomically(folder / "dock.plist", dock);
        writeFileAtomically(folder / "state.json", state);
    }
}
BENCHMARK(BM_ActivateFloor_ThreeAtomicWrites)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
