#include "core/model/JSONFileStateStorage.h"

#include "core/plist/Base64.h"
#include "core/plist/PlistCoding.h"
#include "core/support/AtomicFile.h"
#include "tests/core/support/InChild.h"
#include "tests/core/support/TempFolder.h"

#include <sys/stat.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace kestrine;
using kestrine::testing::TempFolder;
using ::testing::HasSubstr;

namespace {

std::string tileBase64(const plist::Value& value) {
    std::string bytes = plist::toBinary(value);
    return plist::base64Encode(plist::Data(bytes.begin(), bytes.end()));
}

DockTile mailTile() {
    return DockTile::make(PresetApp("com.example.mail", "/Applications/Mail.app", "Mail"));
}

struct StorageTest : ::testing::Test {
    TempFolder folder;
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
};

} // namespace

TEST_F(StorageTest, MissingFileAndEmptyObjectBothLoadAsTheEmptyStateOtherReadErrorsArePassedOn) {
    EXPECT_EQ(storage.load(), AppState{});
    EXPECT_FALSE(std::filesystem::exists(file)); // loading creates nothing
    EXPECT_EQ(loadText(" \n\t{ }\r\n"), AppState{});
    std::filesystem::remove(file);
    std::filesystem::create_directories(file); // a folder where the file should be
    EXPECT_THROW(storage.load(), std::filesystem::filesystem_error);
    // A FIFO is refused at once; reading it would wait for a writer that never comes.
    std::filesystem::remove(file);
    ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
    EXPECT_EQ(kestrine::testing::runInChild([&] {
                  try {
                      storage.load();
                  } catch (const std::filesystem::filesystem_error&) {
                      throw;
                  } catch (...) {
                      ::_exit(2);
                  }
              }),
              kestrine::testing::ChildOutcome::threw);
}

TEST_F(StorageTest, WritesOnlyPresentOptionalsAndAnEmptyEmojiAsItIs) {
    // Key order and indentation are pinned by the golden state file.
    EXPECT_EQ(saved(AppState{}), "{\n  \"hidden\": [],\n  \"presets\": [],\n  \"storedTiles\": []\n}\n");
    AppState state;
    state.presets.push_back(Preset{"p", "P", std::string(), {}, false, std::nullopt});
    state.presets.push_back(Preset{"q", "Q", std::nullopt, {}, false, std::nullopt});
    auto text = saved(state);
    EXPECT_THAT(text, HasSubstr(R"("emoji": "",)"));
    EXPECT_EQ(text.find("emoji"), text.rfind("emoji"));
    EXPECT_EQ(storage.load(), state);
}

TEST_F(StorageTest, ReadsAnyKeyOrderAndIgnoresUnknownKeys) {
    auto tile = tileBase64(plist::Value(mailTile().raw()));
    auto state = loadText(R"({"storedTiles":[")" + tile + R"("],"future":{"x":[1,2]},
        "presets":[{"name":"W","isDefault":true,"id":"w","apps":[{"path":"/p","name":"N","id":"i","extra":1}],"color":3}],
        "activePresetID":"w","hidden":[{"tile":")" + tile + R"(","originalIndex":-2,"nextKey":"n"}]})");
    ASSERT_EQ(state.presets.size(), 1u);
    EXPECT_EQ(state.presets[0], (Preset{"w", "W", std::nullopt, {PresetApp("i", "/p", "N")}, true, std::nullopt}));
    EXPECT_EQ(state.activePresetID, "w");
    ASSERT_EQ(state.hidden.size(), 1u);
    EXPECT_EQ(state.hidden[0].originalIndex, -2);
    EXPECT_EQ(state.hidden[0].nextKey, "n");
    EXPECT_FALSE(state.hidden[0].previousKey);
    EXPECT_EQ(state.hidden[0].tile, mailTile());
    EXPECT_EQ(state.storedTiles, std::vector<DockTile>{mailTile()});
}

TEST_F(StorageTest, AppsPresentMeansCurrentLayoutElseHiddenIDsAreKeptAndAppsNotWritten) {
    auto current = loadText(R"({"presets":[{"id":"p","name":"P","apps":[],"hiddenIDs":["a","b"]}]})");
    EXPECT_FALSE(current.presets.at(0).legacyHiddenIDs);
    EXPECT_THAT(saved(current), HasSubstr(R"("hiddenIDs": [],)"));
    // Next to "apps", a malformed "hiddenIDs" is not looked at.
    EXPECT_FALSE(loadText(R"({"presets":[{"name":"P","apps":[],"hiddenIDs":7}]})").presets.at(0).legacyHiddenIDs);

    auto bare = loadText(R"({"presets":[{"id":"p","name":"P"}]})");
    EXPECT_EQ(bare.presets.at(0).legacyHiddenIDs, std::set<std::string>{});
    EXPECT_THAT(saved(bare), ::testing::Not(HasSubstr(R"("apps")")));
    EXPECT_EQ(storage.load(), bare);

    auto legacy = loadText(R"({"presets":[{"id":"p","name":"P","hiddenIDs":["b","a","b"],"apps":null}]})");
    EXPECT_EQ(legacy.presets.at(0).legacyHiddenIDs, (std::set<std::string>{"a", "b"}));
    // Apps of a preset that still carries the older set are not written at all.
    legacy.presets[0].apps.push_back(PresetApp("x", "/x", "X"));
    auto text = saved(legacy);
    EXPECT_THAT(text, ::testing::Not(HasSubstr(R"("apps")")));
    EXPECT_THAT(text, ::testing::Not(HasSubstr(R"("x")")));
}

TEST_F(StorageTest, NullCountsAsMissingForOptionalKeysAndAMissingIDIsTakenFromTheName) {
    auto tile = tileBase64(plist::Value(mailTile().raw()));
    auto state = loadText(R"({"activePresetID":null,"storedTiles":null,"presets":[{"id":null,"name":"N",
        "emoji":null,"isDefault":null,"apps":[]}],"hidden":[{"tile":")" + tile +
                          R"(","originalIndex":3,"previousKey":null,"nextKey":null}]})");
    EXPECT_FALSE(state.activePresetID);
    EXPECT_EQ(state.presets.at(0).id, "legacy:N");
    EXPECT_FALSE(state.presets[0].emoji);
    EXPECT_FALSE(state.hidden.at(0).previousKey);
    EXPECT_FALSE(state.hidden[0].nextKey);
    auto text = saved(state);
    EXPECT_THAT(text, HasSubstr(R"("id": "legacy:N")")) << "the id taken from the name is kept";
    EXPECT_THAT(text, ::testing::Not(HasSubstr("previousKey")));
    EXPECT_THAT(text, ::testing::Not(HasSubstr("null")));
    EXPECT_THAT(text, ::testing::Not(HasSubstr("emoji")));
}

namespace {

struct BadFile {
    const char* label;
    std::string text;
    std::vector<std::string> expected; // substrings of the error message
};

std::vector<BadFile> badFiles() {
    auto tile = tileBase64(plist::Value(mailTile().raw()));
    std::string bytes = plist::toBinary(plist::Value(mailTile().raw()));
    auto truncated = plist::base64Encode(plist::Data(bytes.begin(), bytes.begin() + static_cast<long>(bytes.size() / 2)));
    auto array = tileBase64(plist::Value(plist::Array{plist::Value("a"), plist::Value(1)}));
    auto xmlArray = plist::toXML(plist::Value(plist::Array{}));
    auto xmlArrayTile = plist::base64Encode(plist::Data(xmlArray.begin(), xmlArray.end()));
    auto good = R"({"id":"w","name":"Work","apps":[]})";
    return {
        {"malformed", R"({"presets": [)", {"state.json: ", "malformed JSON"}},
        {"invalid UTF-8", "{\"activePresetID\":\"\xC3\x28\"}", {"state.json: ", "malformed JSON"}},
        {"empty file", "", {"state.json: ", "malformed JSON"}},
        {"top level array", "[]", {"state.json: expected an object at the top level, found an array"}},
        {"presets not array", R"({"presets":{}})", {"state.json: presets: expected an array, found an object"}},
        {"missing name", std::string(R"({"presets":[)") + good + R"(,{"id":"x","apps":[]}]})",
         {"state.json: presets[1].name: missing required key"}},
        {"null name", R"({"presets":[{"name":null,"apps":[]}]})", {"state.json: presets[0].name: missing required key"}},
        {"name wrong type", R"({"presets":[{"name":3,"apps":[]}]})",
         {"state.json: presets[0].name: expected a string, found a number"}},
        {"isDefault string", R"({"presets":[{"name":"Work","isDefault":"yes","apps":[]}]})",
         {"state.json: presets[0].isDefault: expected a boolean, found a string", "\"Work\""}},
        {"app without path", R"({"presets":[{"name":"Work","apps":[{"id":"a","path":"/a","name":"A"},{"id":"b","name":"B"}]}]})",
         {"state.json: presets[0].apps[1].path: missing required key", "\"Work\""}},
        {"app not object", R"({"presets":[{"name":"Work","apps":["a"]}]})",
         {"state.json: presets[0].apps[0]: expected an object, found a string"}},
        {"hidden id not string", R"({"presets":[{"name":"Old","hiddenIDs":["a",false]}]})",
         {"state.json: presets[0].hiddenIDs[1]: expected a string, found a boolean", "\"Old\""}},
        {"active id number", R"({"activePresetID":5})", {"state.json: activePresetID: expected a string, found a number"}},
        {"index fraction", R"({"hidden":[{"tile":")" + tile + R"(","originalIndex":1.5}]})",
         {"state.json: hidden[0].originalIndex: expected an integer"}},
        {"index out of range", R"({"hidden":[{"tile":")" + tile + R"(","originalIndex":9223372036854775808}]})",
         {"state.json: hidden[0].originalIndex: integer out of range"}},
        {"index missing", R"({"hidden":[{"tile":")" + tile + R"("}]})",
         {"state.json: hidden[0].originalIndex: missing required key"}},
        {"tile missing", R"({"hidden":[{"originalIndex":0}]})", {"state.json: hidden[0].tile: missing required key"}},
        {"tile not base64", R"({"storedTiles":[")" + tile + R"(","not base64!"]})",
         {"state.json: storedTiles[1]: tile is not valid Base64"}},
        {"tile number", R"({"storedTiles":[12]})", {"state.json: storedTiles[0]: expected a string, found a number"}},
        {"truncated tile", R"({"storedTiles":[")" + truncated + R"("]})",
         {"state.json: storedTiles[0]: tile is not a property list"}},
        {"array tile", R"({"storedTiles":[")" + array + R"("]})", {"state.json: storedTiles[0]: Tile is not a dictionary"}},
        {"XML array hidden tile", R"({"hidden":[{"originalIndex":0,"tile":")" + xmlArrayTile + R"("}]})",
         {"state.json: hidden[0].tile: Tile is not a dictionary"}},
    };
}

} // namespace

TEST_F(StorageTest, BadFilesFailNamingThePlaceAndStayByteIdentical) {
    for (const auto& bad : badFiles()) {
        SCOPED_TRACE(bad.label);
        writeFileAtomically(file, bad.text);
        try {
            storage.load();
            ADD_FAILURE() << "loaded without error";
        } catch (const StateFileError& e) {
            for (const auto& part : bad.expected) EXPECT_THAT(e.what(), HasSubstr(part));
        }
        EXPECT_EQ(readFile(file), bad.text);
    }
}

TEST_F(StorageTest, ErrorOutsideAPresetDoesNotNameThePresetBeforeIt) {
    writeFileAtomically(file, R"({"presets":[{"name":"Work","apps":[]}],"storedTiles":[1]})");
    try {
        storage.load();
        FAIL() << "loaded without error";
    } catch (const StateFileError& e) {
        EXPECT_STREQ(e.what(), "state.json: storedTiles[0]: expected a string, found a number");
    }
}

TEST_F(StorageTest, ErrorsCarryTheFileNameOfTheURL) {
    JSONFileStateStorage other(folder / "elsewhere.json");
    writeFileAtomically(other.url, "[");
    try {
        other.load();
        FAIL() << "loaded without error";
    } catch (const StateFileError& e) {
        EXPECT_THAT(e.what(), HasSubstr("elsewhere.json: "));
    }
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
    state.hidden.push_back(HiddenEntry{mailTile(), 0, std::nullopt, std::nullopt});
    state.storedTiles = {mailTile(), DockTile(plist::Dictionary{{"n", plist::Value(std::uint64_t{1} << 63)}})};
    auto message = [&] {
        try {
            storage.save(state);
        } catch (const StateFileError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_THAT(message(), HasSubstr("state.json: storedTiles[1]: cannot encode tile"));
    state.storedTiles.pop_back();
    EXPECT_EQ(message(), "state.json: cannot encode the state: [json.exception.type_error.316] invalid UTF-8 "
                         "byte at index 5: 0x28");
    state.activePresetID.reset();
    EXPECT_EQ(message(), "state.json: cannot encode the state: [json.exception.type_error.316] invalid UTF-8 "
                         "byte at index 4: 0xFF");
    state.presets[0].name = "cut short \xE2\x9C";
    EXPECT_EQ(message(), "state.json: cannot encode the state: [json.exception.type_error.316] incomplete UTF-8 "
                         "string; last byte: 0x9C");
    EXPECT_EQ(readFile(file), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1) << "no temporary file left";
}

TEST_F(StorageTest, TilesAreWrittenAsTheirBinaryEncodingWhateverTheyWereReadFrom) {
    // A tile stored as an XML property list reads as its dictionary and is written back as
    // the binary encoding of that dictionary, not as the bytes it was read from.
    plist::Value raw(plist::Dictionary{{"tile-data", plist::Value(plist::Dictionary{{"file-label", plist::Value("Mail")}})}});
    std::string xml = plist::toXML(raw);
    std::string xmlText = plist::base64Encode(plist::Data(xml.begin(), xml.end()));
    AppState state = loadText(R"({"storedTiles": [")" + xmlText + R"("]})");
    ASSERT_EQ(state.storedTiles.size(), 1u);
    EXPECT_EQ(state.storedTiles[0].raw(), *raw.dictionary());
    std::string text = saved(state);
    EXPECT_EQ(text.find(xmlText), std::string::npos);
    EXPECT_NE(text.find("\"" + tileBase64(raw) + "\""), std::string::npos);
}
