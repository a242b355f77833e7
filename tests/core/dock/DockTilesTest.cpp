// Dock tiles: what a tile's dictionary says about it, its equality and encoding, and how the
// planner turns the Dock's tiles, the stored tiles and a list of apps into the Dock to write.

#include "core/dock/DockPlanner.h"
#include "core/dock/DockTile.h"

#include "core/model/PresetApp.h"
#include "core/plist/PlistCoding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace kestrine;
using plist::Dictionary;
using plist::Value;

namespace {

DockTile withData(Dictionary tileData, Dictionary top = {}) {
    top["tile-data"] = Value(std::move(tileData));
    return DockTile(std::move(top));
}

Value fileData(const std::string& url) {
    return Value(Dictionary{{"_CFURLString", Value(url)}, {"_CFURLStringType", Value(15)}});
}

plist::Data bytes(const std::string& s) { return plist::Data(s.begin(), s.end()); }

PresetApp app(const std::string& id) { return PresetApp(id, "/Applications/" + id + ".app", id); }
const PresetApp pathless("label:Gone", "", "Gone");

/// A tile as the Dock keeps it: its GUID, 1000 + marker, tells a reused tile from another
/// of the same identity and from one rebuilt by `make` (which writes no GUID).
DockTile tile(const std::string& bundle, int marker = 0) {
    auto raw = DockTile::make(app(bundle)).raw();
    raw["GUID"] = Value(1000 + marker);
    return DockTile(std::move(raw));
}
DockTile spacer(int guid) { return DockTile(Dictionary{{"GUID", Value(guid)}, {"tile-type", Value("spacer-tile")}}); }
DockTile labelTile(const char* label) { return withData({{"file-label", Value(label)}}); }

/// "A0" for tile("A"), "A*" for a tile without GUID, "_7" for spacer(7).
std::string names(const std::vector<DockTile>& tiles) {
    std::string out;
    for (const auto& t : tiles) {
        auto id = t.identity();
        auto guid = t.guid();
        out += (out.empty() ? "" : ",") +
               (id ? *id + (guid ? std::to_string(*guid - 1000) : "*") : "_" + std::to_string(guid.value_or(0)));
    }
    return out;
}

} // namespace

// MARK: - Tiles

TEST(DockTile, IdentityAnchorKeyAndDisplayNameFallBackInOrderAndIgnoreWrongTypes) {
    struct Row { const char* name; DockTile tile; const char* expected; }; // identity|anchor key|display name, "-": none
    const Row rows[] = {
        {"bundle id first", withData({{"bundle-identifier", Value("com.example.mail")},
                                      {"file-data", fileData("file:///Applications/Mail.app/")}, {"file-label", Value("Mail")}}),
         "com.example.mail|com.example.mail|Mail"},
        {"empty bundle id: URL",
         withData({{"bundle-identifier", Value("")}, {"file-data", fileData("file:///Applications/Foo.app/")}}),
         "url:file:///Applications/Foo.app/|url:file:///Applications/Foo.app/|Foo"},
        {"label", withData({{"file-label", Value("Downloads")}}), "label:Downloads|label:Downloads|Downloads"},
        {"empty label: URL, shown empty", withData({{"file-label", Value("")}, {"file-data", fileData("file:///A.app/")}}),
         "url:file:///A.app/|url:file:///A.app/|"},
        {"empty label alone", withData({{"file-label", Value("")}}), "-|-|"},
        {"URL name decoded", withData({{"file-data", fileData("file:///Applications/Foo%20Bar.app/")}}),
         "url:file:///Applications/Foo%20Bar.app/|url:file:///Applications/Foo%20Bar.app/|Foo Bar"},
        {"bundle id shown", withData({{"bundle-identifier", Value("com.x")}}), "com.x|com.x|com.x"},
        {"GUID", DockTile(Dictionary{{"GUID", Value(4021)}}), "-|guid:4021|?"},
        {"real GUID truncated", DockTile(Dictionary{{"GUID", Value(7.9)}}), "-|guid:7|?"},
        {"string GUID", DockTile(Dictionary{{"GUID", Value("4021")}}), "-|-|?"},
        {"boolean GUID", DockTile(Dictionary{{"GUID", Value(true)}}), "-|-|?"},
        {"GUID read at the top only", withData({{"GUID", Value(1)}}), "-|-|?"},
        {"tile-data not a dictionary", DockTile(Dictionary{{"tile-data", Value("oops")}, {"GUID", Value(8)}}), "-|guid:8|?"},
        {"values of wrong types", withData({{"bundle-identifier", Value(42)}, {"file-label", Value(plist::Array{Value("x")})},
                                            {"file-data", Value("file:///Applications/Foo.app/")}}), "-|-|?"},
        {"URL not a string", withData({{"file-data", Value(Dictionary{{"_CFURLString", Value(5)}})}, {"file-label", Value("L")}}),
         "label:L|label:L|L"},
        {"path instead of URL", withData({{"file-data", fileData("/Applications/Foo Bar.app")}, {"file-label", Value("Foo")}}),
         "label:Foo|label:Foo|Foo"},
    };
    for (const auto& r : rows) {
        auto shown = [](const std::optional<std::string>& s) { return s.value_or("-"); };
        EXPECT_EQ(shown(r.tile.identity()) + "|" + shown(r.tile.anchorKey()) + "|" + r.tile.displayName(), r.expected) << r.name;
    }
}

TEST(DockTile, MakeBuildsAFileTileThatKeepsTheAppIdentity) {
    PresetApp mail("com.example.mail", "/Applications/Mail.app", "Mail");
    auto tile = DockTile::make(mail);
    EXPECT_EQ(tile.raw(), (Dictionary{{"tile-type", Value("file-tile")},
                                      {"tile-data", Value(Dictionary{{"bundle-identifier", Value("com.example.mail")},
                                                                     {"file-label", Value("Mail")},
                                                                     {"file-data", fileData("file:///Applications/Mail.app/")}})}}));
    auto unbundled = PresetApp::make(std::nullopt, "/Applications/Foo Bar.app", "Foo Bar");
    auto made = DockTile::make(unbundled);
    EXPECT_FALSE(made.raw().at("tile-data").find("bundle-identifier"));
    EXPECT_EQ(std::pair(made.identity(), made.displayName()), std::pair(std::optional(unbundled.id), std::string("Foo Bar")));
}

TEST(DockTile, EqualityIsByDictionaryElseAfterAnXMLRoundTrip) {
    const Dictionary base{{"tile-type", Value("file-tile")}, {"GUID", Value(1)}};
    auto with = [](Dictionary d, const char* key, Value v) {
        d.insert_or_assign(key, std::move(v));
        return d;
    };
    const Dictionary bad{{"n", Value(std::numeric_limits<std::uint64_t>::max())}}; // no XML form
    const Dictionary nan{{"tile-data", Value(Dictionary{{"file-label", Value("Mail")}})}, {"ratio", Value(std::nan(""))}};
    const std::string nanXML = plist::toXML(Value(nan));
    auto at = [&](double seconds) { return with(base, "when", Value(plist::Date{seconds})); };
    struct Row { const char* name; Dictionary a, b; bool equal; };
    const Row rows[] = {
        {"same", base, base, true},
        {"extra key", base, with(base, "x", Value(false)), false},
        {"dates equal in whole seconds", at(1000.0), at(1000.25), true},
        {"dates a second apart", at(1000.0), at(1001.0), false},
        {"real and integer", base, with(base, "GUID", Value(1.0)), false},
        {"unserialisable, same", bad, bad, true},
        {"unserialisable, different", bad, with(bad, "m", Value(1)), false},
        {"NaN read back from XML", nan, DockTile::decode(bytes(nanXML)).raw(), true},
        {"NaN, different", nan, Dictionary{{"ratio", Value(std::nan(""))}}, false},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(std::pair(DockTile(r.a) == DockTile(r.b), DockTile(r.b) == DockTile(r.a)), std::pair(r.equal, r.equal)) << r.name;
    }
}

TEST(DockTile, EncodingRoundTripsEveryValueTypeFollowsCopiesAndDecodingRefusesWhatIsNotATile) {
    DockTile tile(Dictionary{
        {"GUID", Value(std::int64_t{-5})},
        {"tile-data", Value(Dictionary{{"book", Value(plist::Data{0, 1, 2, 0xFF})}, {"when", Value(plist::Date{123.5})},
                                       {"ratio", Value(0.1)}, {"flag", Value(true)}, {"name", Value("Ünïcode ✓")},
                                       {"list", Value(plist::Array{Value(1), Value(plist::Array{})})}})},
    });
    EXPECT_EQ(tile.encode(), bytes(plist::toBinary(Value(tile.raw()))));
    EXPECT_EQ(DockTile::decode(tile.encode()).raw(), tile.raw());
    EXPECT_EQ(DockTile::decode(bytes(plist::toXML(Value(Dictionary{{"k", Value("v")}})))).raw().at("k"), Value("v"));

    // An assigned copy encodes what it now holds; the source keeps its own encoding.
    DockTile copy = tile;
    DockTile other = withData({{"file-label", Value("Notes")}});
    copy = other;
    EXPECT_EQ(copy.encode(), bytes(plist::toBinary(Value(other.raw()))));
    EXPECT_EQ(tile.encode(), bytes(plist::toBinary(Value(tile.raw()))));

    // A tile that cannot be serialised fails every encode, its copies too.
    DockTile bad(Dictionary{{"n", Value(std::numeric_limits<std::uint64_t>::max())}});
    EXPECT_THROW(bad.encode(), plist::PlistError);
    DockTile badCopy = bad;
    EXPECT_THROW(badCopy.encode(), plist::PlistError);
    EXPECT_THROW(bad.encode(), plist::PlistError);

    // Decoding refuses what is not a dictionary, and garbage.
    EXPECT_THROW(DockTile::decode(bytes(plist::toBinary(Value(plist::Array{Value(1)})))), TileDecodingError);
    EXPECT_THROW(DockTile::decode(bytes(plist::toBinary(Value("just a string")))), TileDecodingError);
    auto truncated = DockTile(Dictionary{{"a", Value(1)}}).encode();
    truncated.resize(truncated.size() - 3);
    EXPECT_THROW(DockTile::decode(truncated), plist::PlistError);
    EXPECT_THROW(DockTile::decode({}), plist::PlistError);
}

// MARK: - Plans

TEST(DockPlanner, PlanKeepsDockTilesThenStoredThenNewAndIdentitylessTilesAtTheirIndex) {
    // expected: the tiles, the stored tiles after, whether the Dock changes
    struct Row { const char* name; std::vector<DockTile> current, stored; std::vector<PresetApp> apps; const char* expected; };
    const PresetApp A = app("A"), B = app("B"), C = app("C");
    const Row rows[] = {
        {"same list", {tile("A"), spacer(7), tile("B")}, {}, {A, B}, "A0,_7,B0||0"},
        {"reordered", {tile("A"), spacer(7), tile("B"), tile("C")}, {}, {C, A, B}, "C0,_7,A0,B0||1"},
        {"removed tile stored, spacer keeps its index", {tile("A"), spacer(7), tile("B")}, {}, {B}, "B0,_7|A0|1"},
        {"spacers keep indices", {spacer(1), tile("A"), spacer(2), spacer(3), tile("B"), spacer(4)}, {}, {B, C, A},
         "_1,B0,_2,_3,C*,_4,A0||1"},
        {"empty preset: each identity stored once, earlier stored dropped",
         {spacer(1), tile("A", 1), tile("B"), tile("A", 2), spacer(2)}, {tile("Z")}, {}, "_1,_2|A1,B0|1"},
        {"empty Dock: stored tile, else a new one", {}, {tile("A", 5)}, {A, app("N")}, "A5,N*||1"},
        {"pathless unknown app gives no tile", {}, {tile("A", 5)}, {pathless}, "||0"},
        {"repeats once, first tile wins", {tile("A", 1), tile("B"), tile("A", 2)}, {}, {B, A, B, pathless, A}, "B0,A1||1"},
        {"pathless app in the Dock is kept", {labelTile("Gone"), tile("A")}, {}, {pathless}, "label:Gone*|A0|1"},
        {"Dock tile over stored, first stored of an identity", {tile("A", 1)}, {tile("A", 9), tile("B", 9), tile("B", 10)},
         {A, B}, "A1,B9||1"},
    };
    for (const auto& r : rows) {
        auto plan = DockPlanner::plan(r.current, r.stored, r.apps);
        EXPECT_EQ(names(plan.tiles) + "|" + names(plan.stored) + "|" + std::to_string(plan.changed), r.expected) << r.name;
    }
    // A new tile is exactly what make builds.
    EXPECT_EQ(DockPlanner::plan({}, {}, {app("N")}).tiles, std::vector<DockTile>{DockTile::make(app("N"))});
}

TEST(DockPlanner, AppsGivesOneAppPerIdentityWithDecodedPath) {
    auto foo = withData({{"file-data", fileData("file:///Apps/Foo%20Bar.app/")}, {"file-label", Value("Foo Label")}});
    auto secondA = DockTile::make(PresetApp("A", "/Elsewhere/A2.app", "Second"));
    auto apps = DockPlanner::apps({tile("A"), spacer(3), foo, secondA, labelTile("Downloads")});
    EXPECT_EQ(apps, (std::vector<PresetApp>{app("A"),
                                            PresetApp("url:file:///Apps/Foo%20Bar.app/", "/Apps/Foo Bar.app", "Foo Label"),
                                            PresetApp("label:Downloads", "", "Downloads")}));
    // The apps give back tiles of the same identity.
    EXPECT_EQ(DockPlanner::plan({}, {}, {apps[1]}).tiles.at(0).identity(), apps[1].id);
}

TEST(DockPlanner, FullListPutsHiddenEntriesBackByAnchorThenIndexInIndexOrder) {
    const std::vector<DockTile> five{tile("A"), tile("B"), tile("C"), tile("D"), spacer(5)};
    struct Row { const char* name; std::vector<DockTile> current; std::vector<HiddenEntry> hidden; const char* expected; };
    const Row rows[] = {
        {"after its previous tile", five, {{tile("X"), 0, "guid:5", {}}}, "A0,B0,C0,D0,_5,X0"},
        {"before its next tile", five, {{tile("X"), 4, {}, "A"}}, "X0,A0,B0,C0,D0,_5"},
        {"previous wins over next", five, {{tile("X"), 0, "C", "A"}}, "A0,B0,C0,X0,D0,_5"},
        {"unknown previous: next", five, {{tile("X"), 0, "Q", "D"}}, "A0,B0,C0,X0,D0,_5"},
        {"no anchor: negative index", five, {{tile("X"), -3, "Q", "R"}}, "X0,A0,B0,C0,D0,_5"},
        {"no anchor: index past the end", five, {{tile("X"), 99, {}, {}}}, "A0,B0,C0,D0,_5,X0"},
        {"no anchor: index", five, {{tile("X"), 2, {}, {}}}, "A0,B0,X0,C0,D0,_5"},
        {"empty list", {}, {{tile("X"), 5, "A", {}}}, "X0"},
        {"index order, anchored to each other", {tile("A"), tile("D")},
         {{tile("C"), 2, "B", {}}, {tile("B"), 1, "A", {}}}, "A0,B0,C0,D0"},
        {"identity already listed", {tile("A"), tile("B")}, {{tile("B", 4), 0, {}, {}}}, "A0,B0"},
        {"first entry of an identity", {tile("A"), tile("B")},
         {{tile("X", 2), 3, {}, {}}, {tile("X", 1), 1, {}, {}}, {tile("X", 3), 1, {}, {}}}, "A0,X1,B0"},
        {"identityless while none listed", {tile("A")}, {{spacer(1), 0, {}, {}}, {spacer(2), 5, {}, {}}}, "_1,A0"},
        {"identityless when one is listed", {spacer(9), tile("A")}, {{spacer(1), 0, {}, {}}}, "_9,A0"},
    };
    for (const auto& r : rows) EXPECT_EQ(names(DockPlanner::fullList(r.current, r.hidden)), r.expected) << r.name;
}
