#include "core/model/JSONFileStateStorage.h"

#include "core/plist/Base64.h"
#include "core/plist/PlistCoding.h"
#include "core/support/AtomicFile.h"
#include "tests/core/support/InChild.h"
#include "tests/core/support/TempFolder.h"

#include <sys/stat.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

using namespace kestrine;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

std::string base64(const std::string& bytes) { return plist::base64Encode(plist::Data(bytes.begin(), bytes.end())); }

struct StorageTest : ::testing::Test {
    const DockTile mail = DockTile::make(PresetApp("com.example.mail", "/Applications/Mail.app", "Mail"));
    const std::string mailTile = base64(plist::toBinary(plist::Value(mail.raw())));
    kestrine::testing::TempFolder folder;
    std::filesystem::path file = folder / "state.json";
    JSONFileStateStorage storage{file};

    AppState loadText(const std::string& text) {
        writeFileAtomically(file, text);
        return storage.load();
    }
    std::string saved(const AppState& state) {
        storage.save(state);
        return readFile(file);
    }
    static std::string errorOf(const std::function<void()>& action) {
        try {
            action();
        } catch (const StateFileError& e) {
            return e.what();
        }
        return "no error";
    }
};

} // namespace

TEST_F(StorageTest, MissingFileLoadsAsTheEmptyStateOtherReadErrorsArePassedOnAndAFIFOIsRefusedAtOnce) {
    EXPECT_EQ(storage.load(), AppState{});
    EXPECT_FALSE(std::filesystem::exists(file)); // loading creates nothing
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
         R"({"hiddenIDs":["a","b"],"id":"q","isDefault":false,"name":"Q"}],"storedTiles":[]})"},
    };
    for (const auto& [text, expected] : rows) {
        SCOPED_TRACE(text);
        const AppState state = loadText(text);
        EXPECT_EQ(nlohmann::json::parse(saved(state)).dump(), expected);
        EXPECT_EQ(storage.load(), state);
    }
    // Apps of a preset that still carries the older set are not written at all.
    AppState legacy = loadText(rows[5].first);
    legacy.presets[1].apps.push_back(PresetApp("x", "/x", "X"));
    EXPECT_EQ(nlohmann::json::parse(saved(legacy)).dump(), rows[5].second);
}

TEST_F(StorageTest, BadFilesFailNamingThePlaceAndThePresetAndStayByteIdentical) {
    const std::string bytes = plist::toBinary(plist::Value(mail.raw()));
    const std::string truncated = base64(bytes.substr(0, bytes.size() / 2));
    const std::string array = base64(plist::toBinary(plist::Value(plist::Array{plist::Value("a"), plist::Value(1)})));
    const std::string xmlArray = base64(plist::toXML(plist::Value(plist::Array{})));
    const std::string hidden = R"({"hidden":[{"tile":")" + mailTile + R"(","originalIndex":)";
    // Each row: the file, then how the message goes on after "state.json: "; it names a preset only when shown.
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
        EXPECT_THAT(message, ::testing::StartsWith("state.json: " + expected));
        EXPECT_EQ(message.find("(preset") != std::string::npos, expected.find("(preset") != std::string::npos) << message;
        EXPECT_EQ(readFile(file), text);
    }
    JSONFileStateStorage other(folder / "elsewhere.json");
    writeFileAtomically(other.url, "[");
    EXPECT_THAT(errorOf([&] { other.load(); }), ::testing::StartsWith("elsewhere.json: malformed JSON"));
}

TEST_F(StorageTest, StateThatCannotBeEncodedNamesTheTileFirstThenTheFirstBadTextAndKeepsTheOldFile) {
    // A tile that cannot be encoded is the error even when text before it cannot be
    // written; text errors come in the order of the file, with the byte that broke them.
    AppState good;
    good.activePresetID = "good";
    const std::string before = saved(good);
    AppState state;
    state.activePresetID = "bad \xC3\x28";
    state.presets.push_back(Preset{"p", "bad \xFF name", std::nullopt, {}, false, std::nullopt});
    state.hidden.push_back(HiddenEntry{mail, 0, std::nullopt, std::nullopt});
    state.storedTiles = {mail, DockTile(plist::Dictionary{{"n", plist::Value(std::uint64_t{1} << 63)}})};
    // Each step: the message's start, then the byte named; after each, the next problem is removed.
    const std::pair<const char*, const char*> steps[] = {
        {"state.json: storedTiles[1]: cannot encode tile", ""}, {"state.json: cannot encode the state", "0x28"},
        {"state.json: cannot encode the state", "0xFF"}, {"state.json: cannot encode the state", "0x9C"}};
    for (auto [start, byte] : steps) {
        EXPECT_THAT(errorOf([&] { storage.save(state); }), ::testing::AllOf(::testing::StartsWith(start), HasSubstr(byte)));
        if (state.storedTiles.size() == 2) state.storedTiles.pop_back();
        else if (state.activePresetID) state.activePresetID.reset();
        else state.presets[0].name = "cut short \xE2\x9C";
    }
    EXPECT_EQ(readFile(file), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1) << "no temporary file left";
}
