// Speed of the engine's hot paths: planning a Dock write, and saving and loading the
// state file next to the floor of writing and reading the same bytes unencoded.
#include "core/dock/DockPlanner.h"
#include "core/model/JSONFileStateStorage.h"
#include "core/plist/Base64.h"
#include "core/support/AtomicFile.h"

#include <benchmark/benchmark.h>
#include <nlohmann/json.hpp>

#include <stdlib.h>

#include <filesystem>
#include <random>

using namespace kestrine;
using plist::Value;

namespace {

std::string appName(int n) {
    return "Application " + std::to_string(n);
}

PresetApp presetApp(int n) {
    std::string name = appName(n);
    return PresetApp("com.example.app" + std::to_string(n), "/Applications/" + name + ".app", name);
}

/// A tile shaped like those the Dock writes: about 1 KB, most of it the bookmark blob.
DockTile realisticTile(int n, std::mt19937_64& rng) {
    plist::Data book(600);
    for (auto& b : book) b = static_cast<std::uint8_t>(rng());
    std::string name = appName(n);
    plist::Dictionary data{
        {"book", Value(std::move(book))},
        {"bundle-identifier", Value("com.example.app" + std::to_string(n))},
        {"dock-extra", Value(false)},
        {"file-data", Value(plist::Dictionary{{"_CFURLString", Value(DockTile::fileURLString("/Applications/" + name + ".app"))},
                                              {"_CFURLStringType", Value(15)}})},
        {"file-label", Value(name)},
        {"file-mod-date", Value(plist::Date{7.2e8 + static_cast<double>(n)})},
        {"file-type", Value(41)},
        {"is-beta", Value(false)},
        {"parent-mod-date", Value(plist::Date{7.1e8 + static_cast<double>(n)})},
        {"tile-data-extra", Value(plist::Array{Value(1.5), Value(plist::Array{Value("x"), Value(2)})})},
    };
    return DockTile(plist::Dictionary{
        {"GUID", Value(static_cast<std::int64_t>(rng() >> 2))},
        {"tile-data", Value(std::move(data))},
        {"tile-type", Value("file-tile")},
    });
}

DockTile spacer(std::int64_t guid) {
    return DockTile(plist::Dictionary{{"GUID", Value(guid)},
                                      {"tile-data", Value(plist::Dictionary{})},
                                      {"tile-type", Value("spacer-tile")}});
}

struct DockFixture {
    std::vector<DockTile> dock;   // 60 tiles: 57 applications and 3 spacers
    std::vector<DockTile> stored; // 40 tiles of applications not in the Dock
    std::vector<PresetApp> preset; // 50 applications: 30 in the Dock, 15 stored, 5 new

    DockFixture() {
        std::mt19937_64 rng(42);
        for (int i = 0; i < 57; ++i) {
            dock.push_back(realisticTile(i, rng));
            if (i % 20 == 10) dock.push_back(spacer(900 + i));
        }
        for (int i = 100; i < 140; ++i) stored.push_back(realisticTile(i, rng));
        for (int i = 0; i < 30; ++i) preset.push_back(presetApp(i * 57 / 30));
        for (int i = 100; i < 115; ++i) preset.push_back(presetApp(i));
        for (int i = 200; i < 205; ++i) preset.push_back(presetApp(i));
        std::shuffle(preset.begin(), preset.end(), rng);
    }
};

const DockFixture& dockFixture() {
    static const DockFixture fixture;
    return fixture;
}

void BM_PlanSwitchPreset(benchmark::State& state) {
    const auto& f = dockFixture();
    for (auto _ : state) benchmark::DoNotOptimize(DockPlanner::plan(f.dock, f.stored, f.preset));
}
BENCHMARK(BM_PlanSwitchPreset)->Unit(benchmark::kMicrosecond);

// Same length as the Dock but a different order: `changed` needs element comparisons.
void BM_PlanReorderSameLength(benchmark::State& state) {
    const auto& f = dockFixture();
    auto apps = DockPlanner::apps(f.dock);
    std::swap(apps.front(), apps.back());
    for (auto _ : state) benchmark::DoNotOptimize(DockPlanner::plan(f.dock, f.stored, apps));
}
BENCHMARK(BM_PlanReorderSameLength)->Unit(benchmark::kMicrosecond);

// Applying the preset the Dock already shows: every tile compared and found equal.
void BM_PlanUnchanged(benchmark::State& state) {
    const auto& f = dockFixture();
    auto apps = DockPlanner::apps(f.dock);
    for (auto _ : state) benchmark::DoNotOptimize(DockPlanner::plan(f.dock, f.stored, apps));
}
BENCHMARK(BM_PlanUnchanged)->Unit(benchmark::kMicrosecond);

// ---- State file --------------------------------------------------------------------------

AppState largeState() {
    std::mt19937_64 rng(7);
    AppState s;
    s.activePresetID = "preset-0";
    for (int p = 0; p < 30; ++p) {
        Preset preset{"preset-" + std::to_string(p), "Preset " + std::to_string(p), std::string("\U0001F680"), {},
                      p == 0, std::nullopt};
        for (int a = 0; a < 40; ++a) preset.apps.push_back(presetApp((p * 7 + a) % 120));
        s.presets.push_back(std::move(preset));
    }
    for (int i = 0; i < 60; ++i) s.storedTiles.push_back(realisticTile(300 + i, rng));
    return s;
}

struct FileFixture {
    std::filesystem::path folder;
    std::filesystem::path file;
    AppState state = largeState();
    std::string bytes = JSONFileStateStorage::encode(state);

    FileFixture() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kestrine-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
        folder = pattern;
        file = folder / "state.json";
        writeFileAtomically(file, bytes);
    }
    ~FileFixture() {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
};

FileFixture& fileFixture() {
    static FileFixture fixture;
    return fixture;
}

// Save and load are timed on the wall clock: much of either is waiting for the disk (fsync,
// page cache), which CPU time does not count. The floors beside them are the same bytes
// written and read unencoded.
void BM_StateSave(benchmark::State& state) {
    auto& f = fileFixture();
    JSONFileStateStorage storage(f.file);
    for (auto _ : state) storage.save(f.state);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * f.bytes.size()));
}
BENCHMARK(BM_StateSave)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_FloorWriteAtomically(benchmark::State& state) {
    auto& f = fileFixture();
    for (auto _ : state) writeFileAtomically(f.file, f.bytes);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * f.bytes.size()));
}
BENCHMARK(BM_FloorWriteAtomically)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_StateLoad(benchmark::State& state) {
    auto& f = fileFixture();
    writeFileAtomically(f.file, f.bytes);
    JSONFileStateStorage storage(f.file);
    for (auto _ : state) benchmark::DoNotOptimize(storage.load());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * f.bytes.size()));
}
BENCHMARK(BM_StateLoad)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_FloorReadFile(benchmark::State& state) {
    auto& f = fileFixture();
    writeFileAtomically(f.file, f.bytes);
    for (auto _ : state) benchmark::DoNotOptimize(readFile(f.file));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * f.bytes.size()));
}
BENCHMARK(BM_FloorReadFile)->Unit(benchmark::kMicrosecond)->UseRealTime();

// The coding alone, without the file system, to tell where load and save time goes.
void BM_StateEncodeOnly(benchmark::State& state) {
    auto& f = fileFixture();
    for (auto _ : state) benchmark::DoNotOptimize(JSONFileStateStorage::encode(f.state));
}
BENCHMARK(BM_StateEncodeOnly)->Unit(benchmark::kMicrosecond);

// The same for tiles not encoded yet, as on the first save after loading or of tiles new
// from the Dock: each goes through the property-list writer once. A tile keeps its
// encoding, so the benchmarks above, which save the same state again and again, do not.
void BM_StateEncodeFreshTiles(benchmark::State& state) {
    auto& f = fileFixture();
    AppState fresh;
    for (auto _ : state) {
        state.PauseTiming();
        fresh = f.state;
        for (auto& tile : fresh.storedTiles) tile = DockTile(tile.raw());
        state.ResumeTiming();
        benchmark::DoNotOptimize(JSONFileStateStorage::encode(fresh));
    }
}
BENCHMARK(BM_StateEncodeFreshTiles)->Unit(benchmark::kMicrosecond);

void BM_StateDecodeOnly(benchmark::State& state) {
    auto& f = fileFixture();
    for (auto _ : state) benchmark::DoNotOptimize(JSONFileStateStorage::decode(f.bytes));
}
BENCHMARK(BM_StateDecodeOnly)->Unit(benchmark::kMicrosecond);

// Where load time goes: building the records alone (a deep copy of the state), decoding
// the 60 stored tiles (Base64 and binary property list), and parsing the JSON text.
void BM_StateCopyOnly(benchmark::State& state) {
    auto& f = fileFixture();
    for (auto _ : state) {
        AppState copy = f.state;
        benchmark::DoNotOptimize(copy);
    }
}
BENCHMARK(BM_StateCopyOnly)->Unit(benchmark::kMicrosecond);

void BM_TileDecodeOnly(benchmark::State& state) {
    auto& f = fileFixture();
    std::vector<std::string> texts;
    for (const auto& tile : f.state.storedTiles) texts.push_back(plist::base64Encode(tile.encode()));
    for (auto _ : state)
        for (const auto& text : texts) benchmark::DoNotOptimize(DockTile::decode(*plist::base64Decode(text)));
}
BENCHMARK(BM_TileDecodeOnly)->Unit(benchmark::kMicrosecond);

void BM_JSONParseOnly(benchmark::State& state) {
    auto& f = fileFixture();
    for (auto _ : state) benchmark::DoNotOptimize(nlohmann::json::parse(f.bytes));
}
BENCHMARK(BM_JSONParseOnly)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
