#include "core/model/AppPaths.h"
#include "core/model/JSONFileStateStorage.h"
#include "core/model/PresetApps.h"
#include "core/model/PresetExchange.h"
#include "core/model/PresetStyle.h"
#include "core/plist/Base64.h"
#include "core/plist/PlistCoding.h"
#include "core/support/AtomicFile.h"
#include "tests/core/support/TempFolder.h"
#include "tests/core/support/Unprivileged.h"


#include <gmock/gmock.h>
#include <nlohmann/json.hpp>

#include <unordered_set>

using namespace kestrine;
using ::testing::StartsWith;

namespace {

const std::string briefcase = "\U0001F4BC", coffee = "\u2615\uFE0F", game = "\U0001F3AE", books = "\U0001F4DA",
                  headphone = "\U0001F3A7", moon = "\U0001F319", fire = "\U0001F525", house = "\U0001F3E0";

// Apps from "A,B,C"; an app named "A/a2" has the id A and the name a2.
std::vector<PresetApp> list(const std::string& ids) {
    std::vector<PresetApp> out;
    std::stringstream in(ids);
    for (std::string item, id; std::getline(in, item, ',') && !(id = item.substr(0, item.find('/'))).empty();)
        out.push_back(PresetApp(id, "/Applications/" + id + ".app", item.substr(item.find('/') + 1))); // npos + 1 is 0: all of it
    return out;
}

std::string order(const std::vector<PresetApp>& apps) {
    std::string out;
    for (const auto& a : apps) out += (out.empty() ? "" : ",") + a.id + (a.name == a.id ? "" : "/" + a.name);
    return out;
}


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
    return AppState{
        .hidden = {HiddenEntry{safari, 2, std::string("com.example.mail"), std::string("guid:99")}, HiddenEntry{downloads, -1, std::nullopt, std::nullopt}},
        .storedTiles = {notes, spacer, DockTile::make(cafe)},
        .presets = {Preset{Preset::defaultID, "Home", house, {PresetApp("com.example.mail", "/Applications/Mail.app", "Mail"), cafe,
                                                             PresetApp("label:Downloads", "", "Downloads")}, true, std::nullopt},
                    Preset{"legacy:Old", "Old", std::nullopt, {}, false, std::set<std::string>{"url:file:///Applications/Old%20App.app/", "com.example.notes"}},
                    Preset{"5C3A9E1B-2F4D-4E6A-8B7C-9D0E1F2A3B4C", "Night \"owl\" \\ 夜", std::string(), {}, false, std::nullopt}},
        .activePresetID = "default"};
}

Preset preset(std::string id, std::string name = "P", std::optional<std::string> emoji = {}, bool isDefault = false,
              std::vector<PresetApp> apps = {}) {
    return Preset{id, name, emoji, apps, isDefault, std::nullopt};
}

std::string base64(const std::string& bytes) { return plist::base64Encode(plist::Data(bytes.begin(), bytes.end())); }

struct StorageTest : ::testing::Test {
    const DockTile mail = DockTile::make(PresetApp("com.example.mail", "/Applications/Mail.app", "Mail"));
    const std::string mailTile = base64(plist::toBinary(plist::Value(mail.raw())));
    kestrine::testing::TempFolder folder;
    std::filesystem::path file = folder / "saved.json"; // not the usual name: messages name the file they are about
    JSONFileStateStorage storage{file};

    std::string saved(const AppState& state) { return storage.save(state), readFile(file); }
    static std::string errorOf(const std::function<void()>& action) {
        try { action(); } catch (const StateFileError& e) { return e.what(); }
        return "no error";
    }
};

} // namespace

TEST(PresetAppIdentity, BundleIdentifierOrDirectoryURLWithOneSlashAndEqualityUsesAllThreeFieldsExactly) {
    EXPECT_EQ(PresetApp::make(std::string("com.example.mail"), "/Applications/Mail.app", "Mail").id, "com.example.mail");
    const auto spaced = PresetApp::make(std::nullopt, "/Applications/Foo Bar.app", "Foo Bar");
    EXPECT_EQ(spaced.id + " " + spaced.path, "url:file:///Applications/Foo%20Bar.app/ /Applications/Foo Bar.app");
    EXPECT_EQ(PresetApp::make(std::string(), "/Applications/Foo Bar.app", "Foo Bar").id, spaced.id) << "an empty identifier is none";
    EXPECT_FALSE(PresetApp("label:Downloads", "", "Downloads").url().has_value());
    EXPECT_EQ(PresetApp("x", "/Applications/Mail.app/", "Mail").url(), "file:///Applications/Mail.app/");

    const std::unordered_set<PresetApp> set{PresetApp("com.a", "/A.app", "A"), PresetApp("com.a", "/A.app", "A"), PresetApp("com.a", "/A.app", "a"),
                                            PresetApp("com.a", "/B.app", "A"), PresetApp("com.A", "/A.app", "A"), PresetApp("/A.app", "com.a", "A")};
    EXPECT_EQ(set.size(), 5u) << "only the exact copy is the same app";
}

TEST(AppState, DefaultPresetsComeFirstInStoredOrderAndLookupFindsTheFirstWithExactlyThatID) {
    AppState state{{}, {}, {preset("a"), preset("b", "P", {}, true), preset("c"), preset("d", "P", {}, true)}, {}};
    const auto& p = state.presets;
    EXPECT_EQ(state.orderedPresets(), (std::vector<Preset>{p[1], p[3], p[0], p[2]}));
    EXPECT_EQ(state.defaultPreset() ? state.defaultPreset()->id : "none", "b");
    state.presets = {preset("dup", "first"), preset("Dup", "other case"), preset("dup", "second")};
    EXPECT_TRUE(state.orderedPresets() == state.presets && !state.defaultPreset());
    auto nameOf = [&](const std::string& id) { return state.preset(id) ? state.preset(id)->name : "none"; };
    EXPECT_EQ(nameOf("dup") + "|" + nameOf("Dup") + "|" + nameOf("du"), "first|other case|none");
}

TEST(PresetApps, AddingAppendsOnlyNewIDsFirstOneWinsAndRemovingDropsEveryAppWithThatIDExactly) {
    const std::tuple<const char*, const char*, const char*> adding[] = {
        {"", "A,B,A,C,B", "A,B,C"}, {"A", "B/first,B/second,A/renamed", "A,B/first"}, {"A,A", "A,B", "A,A,B"} /* repeats there stay */};
    for (auto [existing, added, expected] : adding) EXPECT_EQ(order(PresetApps::adding(list(existing), list(added))), expected);
    const std::tuple<const char*, const char*, const char*> removing[] = {{"A,B,A,C", "A", "B,C"}, {"A,B", "a", "A,B"}, {"", "A", ""}};
    for (auto [apps, id, expected] : removing) EXPECT_EQ(order(PresetApps::removing(list(apps), id)), expected) << apps;
}

TEST(PresetApps, MovingToAnIndexCountsWithoutTheMovedAppIsClampedAndMovesOnlyTheFirstWithTheID) {
    const std::tuple<const char*, const char*, std::int64_t, const char*> rows[] = {
        {"A,B,C", "A", 1, "B,A,C"},    {"A,B,C", "A", 2, "B,C,A"}, {"A,B,C", "C", 0, "C,A,B"},
        {"A,B,C", "C", -5, "C,A,B"},   {"A,B,C", "A", 1000, "B,C,A"}, {"A,B,C", "Z", 0, "A,B,C"},
        {"A,B,C", "B", 1, "A,B,C"},    {"A/a1,B,A/a2", "A", 2, "B,A/a2,A/a1"}};
    for (auto [apps, id, index, expected] : rows) EXPECT_EQ(order(PresetApps::moving(list(apps), id, index)), expected) << id << index;
}

TEST(PresetApps, MovingBeforeAnotherAppOrToTheEndAndNotAtAllWhenEitherIsMissingOrTheSame) {
    const std::tuple<const char*, std::optional<std::string>, const char*> rows[] = {
        {"D", "B", "A,D,B,C"}, {"A", "C", "B,A,C,D"}, {"B", std::nullopt, "A,C,D,B"},
        {"B", "B", "A,B,C,D"}, {"B", "Z", "A,B,C,D"}, {"Z", "A", "A,B,C,D"}};
    for (const auto& [id, before, expected] : rows) EXPECT_EQ(order(PresetApps::moving(list("A,B,C,D"), id, before)), expected) << id;
}

TEST(PresetApps, SelectionKeepsSelectedInOrderThenAppendsNewCandidates) {
    const auto current = list("A,B,C"), candidates = list("D,B/candidate B,E,C");
    EXPECT_EQ(order(PresetApps::applyingSelection(current, {"C", "A", "E", "D", "X"}, candidates)), "A,C,D,E");
    EXPECT_EQ(order(PresetApps::applyingSelection(current, {"B"}, candidates)), "B"); // the kept app wins
    EXPECT_TRUE(PresetApps::applyingSelection(current, {}, candidates).empty());
    EXPECT_EQ(order(PresetApps::applyingSelection({}, {"E", "D"}, candidates)), "D,E");
}

TEST(PresetStyle, FallbackEmojiAndPaletteComeFromKeywordsElseFromTheFNV1aHashOfTheNameAsGiven) {
    // Bytes above 0x7F must not be sign-extended before the exclusive-or.
    EXPECT_EQ(PresetStyle::nameHash("\xC3\xA9"), ((0xcbf29ce484222325ull ^ 0xC3) * 0x100000001b3ull ^ 0xA9) * 0x100000001b3ull);
    const std::tuple<const char*, std::string, int> hashed[] = {{"", moon, 5}, {"Mail", game, 2}, {"mail", house, 4}};
    for (const auto& [name, emoji, palette] : hashed)
        EXPECT_EQ(std::pair(PresetStyle::defaultEmoji(name), PresetStyle::paletteIndex(name)), std::pair(emoji, palette)) << name;
    // Keywords match as substrings of the fully lower-cased name, first rule first.
    const std::pair<const char*, std::string> keywords[] = {
        {"Breakfast", coffee}, {"Already done", books}, {"Study music", books}, {"Music", headphone},
        {"DEEP WORK", briefcase}, {"Deep", fire}, {"Late night", moon}, {"今日の仕事", briefcase}, {"ゲーム", game},
        {"WOR\u212A", briefcase} /* the Kelvin sign lower-cases to an ASCII "k" */};
    for (const auto& [name, emoji] : keywords) EXPECT_EQ(PresetStyle::defaultEmoji(name), emoji) << name;
}

TEST(PresetDisplay, EmptyEmojiShowsTheAutomaticOneButIsNotAbsentAndThePaletteFollowsTheName) {
    const Preset blank = preset("p", "Work", ""), automatic = preset("p", "Work"), rocket = preset("p", "Work", "\U0001F680");
    EXPECT_EQ(blank.displayEmoji() + automatic.displayEmoji() + rocket.displayEmoji(), briefcase + briefcase + "\U0001F680");
    EXPECT_NE(blank, automatic);
    EXPECT_EQ(preset("p", "mail").paletteIndex(), 4);
}

TEST(PresetExchange, EncodedPresetsDecodeToTheSameNamesEmojiAndAppsWithoutIDsOrDefaultsAndBadExportsAreRefused) {
    const std::vector<PresetApp> apps{PresetApp("com.example.mail", "/Applications/Mail.app", "Mail"),
                                      PresetApp("url:file:///opt/x.app/", "", "")};
    const std::vector<Preset> sources{preset("1", "Work", "💼", true, apps), preset("2", "Plain"), preset("3", "Blank", "")};
    // Ids belong to one installation; an empty emoji means the automatic one.
    const std::vector<Preset> expected{preset("", "Work", "💼", false, apps), preset("", "Plain"), preset("", "Blank")};
    EXPECT_EQ(PresetExchange::decode(PresetExchange::encode(sources)), expected);
    const std::string head = R"({"format":"kestrine-presets","version":1,"presets":[)";
    for (const std::string& bad : {head + R"({"name":" ","apps":[]}]})", head + R"({"name":"W","apps":[{"id":""}]}]})",
                                  head + R"({"apps":[]}]})", std::string(R"({"format":"kestrine-presets","version":2,"presets":[]})")})
        EXPECT_THROW(PresetExchange::decode(bad), PresetExchangeError) << bad;
}

TEST(PresetExchange, FreeNameNumbersATakenNameFromTwo) {
    const std::tuple<std::string, std::set<std::string>, std::string> rows[] = {
        {"Work", {}, "Work"}, {"Work", {"Work"}, "Work 2"}, {"Work", {"Work", "Work 2", "Work 3"}, "Work 4"},
        {"Work", {"Work", "Work 3"}, "Work 2"}, {"Work 2", {"Work 2"}, "Work 2 2"}};
    for (const auto& [name, taken, expected] : rows)
        EXPECT_EQ(PresetExchange::freeName(name, [&](const std::string& n) { return taken.count(n) > 0; }), expected) << name;
}


TEST_F(StorageTest, MissingFileLoadsAsTheEmptyStateOtherReadErrorsArePassedOnAndAFIFOIsRefusedAtOnce) {
    // Loading creates nothing.
    EXPECT_EQ((std::pair{storage.load(), std::filesystem::exists(file)}), std::pair(AppState{}, false));
    std::filesystem::create_directories(file);   // a folder where the file should be
    EXPECT_THROW(storage.load(), std::filesystem::filesystem_error);
    std::filesystem::remove(file);
    ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0); // reading it would wait for a writer that never comes
    EXPECT_EQ(kestrine::testing::runInChild([&] { storage.load(); }), kestrine::testing::ChildOutcome::threw);
}

TEST_F(StorageTest, ReadsAnyKeyOrderUnknownKeysNullsAndTheOlderLayoutAndWritesThemBackCanonically) {
    // Each row: the file as found, then as written back after loading (without indentation).
    const std::pair<std::string, std::string> rows[] = {
        {" \n\t{ }\r\n", R"({"hidden":[],"presets":[],"storedTiles":[]})"},
        // A tile stored as an XML property list is written back as the binary encoding of its dictionary.
        {R"({"storedTiles":[")" + base64(plist::toXML(plist::Value(mail.raw()))) + R"("]})",
         R"({"hidden":[],"presets":[],"storedTiles":[")" + mailTile + R"("]})"},
        {R"({"storedTiles":[")" + mailTile + R"("],"future":{"x":[1,2]},"presets":[{"name":"W","isDefault":true,"id":"w",
          "apps":[{"path":"/p","name":"N","id":"i","extra":1}],"color":3}],"activePresetID":"w","hidden":[{"tile":")" +
             mailTile + R"(","originalIndex":-2,"nextKey":"n"}]})",
         R"({"activePresetID":"w","hidden":[{"nextKey":"n","originalIndex":-2,"tile":")" + mailTile + R"("}],"presets":[{"apps":[)"
         R"({"id":"i","name":"N","path":"/p"}],"hiddenIDs":[],"id":"w","isDefault":true,"name":"W"}],"storedTiles":[")" + mailTile + R"("]})"},
        // Null is missing; a missing id is taken from the name; an empty emoji is kept.
        {R"({"activePresetID":null,"storedTiles":null,"presets":[{"id":null,"name":"N","emoji":null,"isDefault":null,"apps":[]},
          {"id":"e","name":"E","emoji":"","apps":[]}],"hidden":[{"tile":")" + mailTile + R"(","originalIndex":3,"previousKey":null}]})",
         R"({"hidden":[{"originalIndex":3,"tile":")" + mailTile + R"("}],"presets":[{"apps":[],"hiddenIDs":[],"id":"legacy:N",)"
         R"("isDefault":false,"name":"N"},{"apps":[],"emoji":"","hiddenIDs":[],"id":"e","isDefault":false,"name":"E"}],"storedTiles":[]})"},
        // With "apps" present, "hiddenIDs" is not looked at; without, it is kept and "apps" is not written.
        {R"({"presets":[{"id":"p","name":"P","apps":[],"hiddenIDs":["a",7]}]})",
         R"({"hidden":[],"presets":[{"apps":[],"hiddenIDs":[],"id":"p","isDefault":false,"name":"P"}],"storedTiles":[]})"},
        {R"({"presets":[{"id":"p","name":"P"},{"id":"q","name":"Q","hiddenIDs":["b","a","b"],"apps":null}]})",
         R"({"hidden":[],"presets":[{"hiddenIDs":[],"id":"p","isDefault":false,"name":"P"},)"
         R"({"hiddenIDs":["a","b"],"id":"q","isDefault":false,"name":"Q"}],"storedTiles":[]})"}};
    for (const auto& [text, expected] : rows) {
        SCOPED_TRACE(text);
        writeFileAtomically(file, text);
        const AppState state = storage.load();
        EXPECT_EQ(nlohmann::json::parse(saved(state)).dump(), expected);
        EXPECT_EQ(storage.load(), state);
    }
    // Apps of a preset that still carries the older set are not written at all.
    AppState legacy = storage.load(); // the last row's state
    legacy.presets[1].apps.push_back(PresetApp("x", "/x", "X"));
    EXPECT_EQ(nlohmann::json::parse(saved(legacy)).dump(), rows[5].second);
}

TEST_F(StorageTest, BadFilesFailNamingThePlaceAndThePresetAndStayByteIdentical) {
    const std::string truncated = base64(plist::toBinary(plist::Value(mail.raw())).substr(0, 40));
    const std::string array = base64(plist::toBinary(plist::Value(plist::Array{plist::Value("a"), plist::Value(1)})));
    const std::string xmlArray = base64(plist::toXML(plist::Value(plist::Array{})));
    const std::string hidden = R"({"hidden":[{"tile":")" + mailTile + R"(","originalIndex":)";
    // Each row: the file, then how the message goes on after "saved.json: "; it names a preset only when shown.
    const std::pair<std::string, std::string> rows[] = {
        {R"({"presets": [)", "malformed JSON"}, {"{\"activePresetID\":\"\xC3\x28\"}", "malformed JSON"},
        {"[]", "expected an object at the top level, found an array"}, {R"({"presets":{}})", "presets: expected an array, found an object"},
        {R"({"presets":[{"id":"w","name":"Work","apps":[]},{"id":"x","apps":[]}]})", "presets[1].name: missing required key"},
        {R"({"presets":[{"name":null,"apps":[]}]})", "presets[0].name: missing required key"},
        {R"({"presets":[{"name":3,"apps":[]}]})", "presets[0].name: expected a string, found a number"},
        {R"({"presets":[{"name":"Work","isDefault":"yes","apps":[]}]})",
         "presets[0].isDefault: expected a boolean, found a string (preset \"Work\")"},
        {R"({"presets":[{"name":"Work","apps":[{"id":"a","path":"/a","name":"A"},{"id":"b","name":"B"}]}]})",
         "presets[0].apps[1].path: missing required key (preset \"Work\")"},
        {R"({"presets":[{"name":"Work","apps":["a"]}]})", "presets[0].apps[0]: expected an object, found a string (preset \"Work\")"},
        {R"({"presets":[{"name":"Old","hiddenIDs":["a",false]}]})",
         "presets[0].hiddenIDs[1]: expected a string, found a boolean (preset \"Old\")"},
        {R"({"presets":[{"name":"Work","apps":[]}],"storedTiles":[1]})", "storedTiles[0]: expected a string, found a number"},
        {R"({"activePresetID":5})", "activePresetID: expected a string, found a number"},
        {hidden + "1.5}]}", "hidden[0].originalIndex: expected an integer"},
        {hidden + "9223372036854775808}]}", "hidden[0].originalIndex: integer out of range"},
        {R"({"hidden":[{"tile":")" + mailTile + R"("}]})", "hidden[0].originalIndex: missing required key"},
        {R"({"hidden":[{"originalIndex":0}]})", "hidden[0].tile: missing required key"},
        {R"({"storedTiles":[")" + mailTile + R"(","not base64!"]})", "storedTiles[1]: tile is not valid Base64"},
        {R"({"storedTiles":[")" + truncated + R"("]})", "storedTiles[0]: tile is not a property list"},
        {R"({"storedTiles":[")" + array + R"("]})", "storedTiles[0]: Tile is not a dictionary"},
        {R"({"hidden":[{"originalIndex":0,"tile":")" + xmlArray + R"("}]})", "hidden[0].tile: Tile is not a dictionary"}};
    for (const auto& [text, expected] : rows) {
        SCOPED_TRACE(text);
        writeFileAtomically(file, text);
        const std::string message = errorOf([&] { storage.load(); });
        EXPECT_THAT(message, StartsWith("saved.json: " + expected));
        EXPECT_EQ(message.find("(preset") != std::string::npos, expected.find("(preset") != std::string::npos) << message;
        EXPECT_EQ(readFile(file), text);
    }
}

TEST_F(StorageTest, StateThatCannotBeEncodedNamesTheTileFirstThenTheFirstBadTextAndKeepsTheOldFile) {
    // A tile that cannot be encoded is the error even when text before it cannot be
    // written; text errors come in the order of the file, with the byte that broke them.
    const std::string before = saved(AppState{{}, {}, {}, "good"});
    AppState state{.hidden = {HiddenEntry{mail, 0, std::nullopt, std::nullopt}},
                   .storedTiles = {mail, DockTile(plist::Dictionary{{"n", plist::Value(std::uint64_t{1} << 63)}})},
                   .presets = {Preset{"p", "bad \xFF name", std::nullopt, {}, false, std::nullopt}}, .activePresetID = "bad \xC3\x28"};
    // Each step: the message's start, then the byte named; after each, the next problem is removed.
    const std::pair<const char*, const char*> steps[] = {
        {"saved.json: storedTiles[1]: cannot encode tile", ""}, {"saved.json: cannot encode the state", "0x28"},
        {"saved.json: cannot encode the state", "0xFF"}, {"saved.json: cannot encode the state", "0x9C"}};
    for (auto [start, byte] : steps) {
        EXPECT_THAT(errorOf([&] { storage.save(state); }), ::testing::AllOf(StartsWith(start), ::testing::HasSubstr(byte)));
        if (state.storedTiles.size() == 2) state.storedTiles.pop_back();
        else if (state.activePresetID) state.activePresetID.reset();
        else state.presets[0].name = "cut short \xE2\x9C";
    }
    EXPECT_EQ(readFile(file), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1) << "no temporary file left";
}

TEST_F(StorageTest, GoldenFileSavedBytesMatchTheCheckedInFileLoadBackEqualAndLoadingAndSavingAgainChangesNoByte) {
    const AppState state = goldenState();
    const std::string written = saved(state);
    if (std::getenv("KESTRINE_UPDATE_GOLDEN")) {
        writeFileAtomically(goldenFile, written);
        GTEST_SKIP() << "rewrote " << goldenFile;
    }
    EXPECT_EQ(written, readFile(goldenFile));
    EXPECT_EQ(JSONFileStateStorage(goldenFile).load(), state);
    // Every tile read back from the file is written out as the same bytes.
    EXPECT_EQ(saved(JSONFileStateStorage(goldenFile).load()), written);
}

TEST(AppPaths, DataHomeWinsWhenAbsoluteElseHomeLocalShareElseAnError) {
    using S = std::optional<std::string>;
    // Empty or relative values are not valid base folders and are ignored; with no absolute folder
    // at all the answer is an error, never the working directory.
    const std::tuple<S, S, const char*> rows[] = {{"/data", "/home/u", "/data/Kestrine"}, {"", "/home/u", "/home/u/.local/share/Kestrine"},
        {"data", "/home/u", "/home/u/.local/share/Kestrine"}, {std::nullopt, std::nullopt, "error"}, {"rel", "", "error"}};
    for (const auto& [data, home, expected] : rows) {
        auto lookup = [&](const std::string& name) { return name == "HOME" ? home : name == "XDG_DATA_HOME" ? data : std::nullopt; };
        auto get = [&](const auto&... in) {
            try { return AppPaths::supportDirectory(in...).string(); } catch (const std::runtime_error&) { return std::string("error"); }
        };
        EXPECT_EQ(get(data, home), expected);
        // The same through the environment, which has the user database behind it to stand in for a missing home.
        if (std::string(expected) != "error") {
            EXPECT_EQ(get(lookup), expected);
        }
    }
}
