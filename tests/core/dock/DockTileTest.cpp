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

} // namespace

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
    EXPECT_EQ(made.identity(), unbundled.id);
    EXPECT_EQ(made.displayName(), "Foo Bar");
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
    const plist::Data before = tile.encode();
    DockTile copy = tile;
    DockTile other = withData({{"file-label", Value("Notes")}});
    copy = other;
    EXPECT_EQ(copy.encode(), bytes(plist::toBinary(Value(other.raw()))));
    EXPECT_EQ(tile.encode(), before);

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
