#include "core/model/JSONFileStateStorage.h"

#include "core/support/AtomicFile.h"
#include "tests/core/support/TempFolder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>

using namespace kestrine;

namespace {

const std::filesystem::path goldenFile = std::filesystem::path(KESTRINE_TEST_DATA) / "state-golden.json";

plist::Data bytes(int count, int start) {
    plist::Data out;
    for (int i = 0; i < count; ++i) out.push_back(static_cast<std::uint8_t>((start + i * 37) & 0xFF));
    return out;
}

/// A state with every kind of field the file can hold.
AppState goldenState() {
    using plist::Value;
    using D = plist::Dictionary;
    const D notesData{
        {"bundle-identifier", Value("com.example.notes")}, {"file-label", Value("Notes")},
        {"file-data", Value(D{{"_CFURLString", Value("file:///Applications/Notes.app/")}, {"_CFURLStringType", Value(15)}})},
        {"file-mod-date", Value(plist::Date{723456789.125})}, {"book", Value(bytes(48, 7))}, {"dock-extra", Value(false)},
        {"file-type", Value(41)}, {"scale", Value(0.1)}, {"offset", Value(std::int64_t{-42})},
        {"nested", Value(plist::Array{Value(plist::Array{Value(1), Value("two"), Value(3.25)}),
                                      Value(D{{"deep", Value(plist::Array{Value(plist::Date{-3600.0}), Value(bytes(5, 200))})}})})}};
    const DockTile notes(D{{"GUID", Value(std::int64_t{3141592653})}, {"tile-type", Value("file-tile")}, {"tile-data", Value(notesData)}});
    const DockTile spacer(D{{"GUID", Value(99)}, {"tile-type", Value("spacer-tile")}, {"tile-data", Value(D{})}});
    const PresetApp cafe = PresetApp::make(std::nullopt, "/Applications/Café Über.app", "Café Über");
    const DockTile downloads(D{{"tile-data", Value(D{{"file-label", Value("Downloads")}})}, {"tile-type", Value("directory-tile")}});
    const DockTile safari(D{{"GUID", Value(-17)}, {"tile-data", Value(D{{"bundle-identifier", Value("com.example.safari")},
                                                                        {"parent-mod-date", Value(plist::Date{0})}, {"is-beta", Value(true)}})}});
    AppState state;
    state.activePresetID = "default";
    state.hidden = {HiddenEntry{safari, 2, std::string("com.example.mail"), std::string("guid:99")},
                    HiddenEntry{downloads, -1, std::nullopt, std::nullopt}};
    state.storedTiles = {notes, spacer, DockTile::make(cafe)};
    state.presets = {
        Preset{Preset::defaultID, "Home", std::string("\U0001F3E0"),
               {PresetApp("com.example.mail", "/Applications/Mail.app", "Mail"), cafe, PresetApp("label:Downloads", "", "Downloads")},
               true, std::nullopt},
        Preset{"legacy:Old", "Old", std::nullopt, {}, false, std::set<std::string>{"url:file:///Applications/Old%20App.app/", "com.example.notes"}},
        Preset{"5C3A9E1B-2F4D-4E6A-8B7C-9D0E1F2A3B4C", "Night \"owl\" \\ 夜", std::string(), {}, false, std::nullopt}};
    return state;
}

} // namespace

TEST(GoldenStateFile, SavedBytesMatchTheCheckedInFileLoadBackEqualAndLoadingAndSavingAgainChangesNoByte) {
    kestrine::testing::TempFolder folder;
    JSONFileStateStorage storage(folder / "state.json");
    const AppState state = goldenState();
    storage.save(state);
    const std::string written = readFile(storage.url);
    if (std::getenv("KESTRINE_UPDATE_GOLDEN")) {
        writeFileAtomically(goldenFile, written);
        GTEST_SKIP() << "rewrote " << goldenFile;
    }
    EXPECT_EQ(written, readFile(goldenFile));
    // Exactly the canonical form: every object's keys sorted, two-space indentation.
    EXPECT_EQ(nlohmann::json::parse(written).dump(2) + "\n", written);
    EXPECT_EQ(storage.load(), state);
    EXPECT_EQ(JSONFileStateStorage(goldenFile).load(), state);
    // Every tile read back from the file is written out as the same bytes.
    storage.save(JSONFileStateStorage(goldenFile).load());
    EXPECT_EQ(readFile(storage.url), written);
    storage.save(storage.load());
    EXPECT_EQ(readFile(storage.url), written);
}
