#include "core/dock/DockTile.h"

#include "core/model/PresetApp.h"
#include "core/plist/PlistCoding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <thread>
#include <vector>

using namespace kestrine;
using plist::Value;

namespace {

DockTile withData(plist::Dictionary tileData, plist::Dictionary top = {}) {
    top["tile-data"] = Value(std::move(tileData));
    return DockTile(std::move(top));
}

Value fileData(const std::string& url) {
    return Value(plist::Dictionary{{"_CFURLString", Value(url)}, {"_CFURLStringType", Value(15)}});
}

} // namespace

TEST(DockTileIdentity, BundleIdentifierThenURLThenLabelAndNoneForAnEmptyLabel) {
    auto full = withData({{"bundle-identifier", Value("com.example.mail")},
                          {"file-data", fileData("file:///Applications/Mail.app/")},
                          {"file-label", Value("Mail")}});
    EXPECT_EQ(full.identity(), "com.example.mail");
    EXPECT_EQ(full.anchorKey(), "com.example.mail");

    auto emptyBundle = withData({{"bundle-identifier", Value("")},
                                 {"file-data", fileData("file:///Applications/Foo.app/")},
                                 {"file-label", Value("Foo")}});
    EXPECT_FALSE(emptyBundle.bundleIdentifier());
    EXPECT_EQ(emptyBundle.identity(), "url:file:///Applications/Foo.app/");
    EXPECT_EQ(withData({{"file-label", Value("Downloads")}}).identity(), "label:Downloads");

    auto emptyLabel = withData({{"file-label", Value("")}, {"file-data", fileData("file:///A.app/")}});
    EXPECT_EQ(emptyLabel.identity(), "url:file:///A.app/");
    EXPECT_FALSE(withData({{"file-label", Value("")}}).identity());
    EXPECT_FALSE(withData({{"file-label", Value("")}}).anchorKey());
}

TEST(DockTileIdentity, AnIntegralGUIDGivesOnlyAnAnchorKey) {
    DockTile tile(plist::Dictionary{{"GUID", Value(4021)}});
    EXPECT_FALSE(tile.identity());
    EXPECT_EQ(tile.anchorKey(), "guid:4021");
    EXPECT_EQ(tile.displayName(), "?");

    EXPECT_EQ(DockTile(plist::Dictionary{{"GUID", Value(-12)}}).anchorKey(), "guid:-12");
    EXPECT_EQ(DockTile(plist::Dictionary{{"GUID", Value(7.9)}}).guid(), 7);
    EXPECT_FALSE(DockTile(plist::Dictionary{{"GUID", Value("4021")}}).guid());
    EXPECT_FALSE(DockTile(plist::Dictionary{{"GUID", Value(true)}}).anchorKey());
    // "GUID" is read at the top level only.
    EXPECT_FALSE(withData({{"GUID", Value(1)}}).guid());
}

TEST(DockTileReading, ValuesOfTheWrongTypeCountAsMissing) {
    DockTile stringData(plist::Dictionary{{"tile-data", Value("oops")}, {"GUID", Value(8)}});
    EXPECT_FALSE(stringData.bundleIdentifier());
    EXPECT_FALSE(stringData.label());
    EXPECT_FALSE(stringData.fileURL());
    EXPECT_FALSE(stringData.identity());
    EXPECT_EQ(stringData.anchorKey(), "guid:8");
    EXPECT_EQ(stringData.displayName(), "?");

    auto wrongTypes = withData({{"bundle-identifier", Value(42)},
                                {"file-label", Value(plist::Array{Value("x")})},
                                {"file-data", Value("file:///Applications/Foo.app/")}});
    EXPECT_FALSE(wrongTypes.identity());

    auto urlNotString = withData({{"file-data", Value(plist::Dictionary{{"_CFURLString", Value(5)}})},
                                  {"file-label", Value("L")}});
    EXPECT_EQ(urlNotString.identity(), "label:L");

    // URL text, not a path: a space makes it unparseable.
    auto badURL = withData({{"file-data", fileData("/Applications/Foo Bar.app")}, {"file-label", Value("Foo")}});
    EXPECT_FALSE(badURL.fileURL());
    EXPECT_EQ(badURL.identity(), "label:Foo");
}

TEST(DockTileDisplayName, LabelEvenEmptyThenURLNameThenIdentity) {
    EXPECT_EQ(withData({{"file-data", fileData("file:///Applications/Foo%20Bar.app/")}}).displayName(), "Foo Bar");
    EXPECT_EQ(withData({{"bundle-identifier", Value("com.x")}}).displayName(), "com.x");
    EXPECT_EQ(withData({{"file-label", Value("")}, {"file-data", fileData("file:///A.app/")}}).displayName(), "");
}

TEST(DockTileMake, BuildsAFileTileThatKeepsTheAppIdentity) {
    PresetApp mail("com.example.mail", "/Applications/Mail.app", "Mail");
    auto tile = DockTile::make(mail);
    plist::Dictionary expected{
        {"tile-type", Value("file-tile")},
        {"tile-data", Value(plist::Dictionary{{"bundle-identifier", Value("com.example.mail")},
                                              {"file-label", Value("Mail")},
                                              {"file-data", fileData("file:///Applications/Mail.app/")}})},
    };
    EXPECT_EQ(tile.raw(), expected);
    EXPECT_FALSE(tile.guid());
    EXPECT_EQ(tile.identity(), mail.id);

    auto unbundled = PresetApp::make(std::nullopt, "/Applications/Foo Bar.app", "Foo Bar");
    auto made = DockTile::make(unbundled);
    EXPECT_FALSE(made.raw().at("tile-data").find("bundle-identifier"));
    EXPECT_EQ(made.identity(), unbundled.id);
    EXPECT_EQ(made.displayName(), "Foo Bar");
}

TEST(DockTileEquality, StructuralElseAfterAnXMLRoundTrip) {
    plist::Dictionary base{{"tile-type", Value("file-tile")}, {"GUID", Value(1)}};
    EXPECT_EQ(DockTile(base), DockTile(base));
    auto extra = base;
    extra["x"] = Value(false);
    EXPECT_NE(DockTile(base), DockTile(extra));
    // XML keeps whole seconds of a date, so these differ only before the round trip.
    auto early = base, late = base;
    early["when"] = Value(plist::Date{1000.0});
    late["when"] = Value(plist::Date{1000.25});
    EXPECT_EQ(DockTile(early), DockTile(late));
    late["when"] = Value(plist::Date{1001.0});
    EXPECT_NE(DockTile(early), DockTile(late));
    // A real and an integer of the same value stay different types in XML.
    auto real = base;
    real["GUID"] = Value(1.0);
    EXPECT_NE(DockTile(base), DockTile(real));
}

TEST(DockTileEquality, UnserialisableTilesAreEqualOnlyWhenIdenticalAndFailEveryEncode) {
    DockTile bad(plist::Dictionary{{"n", Value(std::numeric_limits<std::uint64_t>::max())}});
    EXPECT_EQ(bad, DockTile(bad.raw()));
    auto other = bad.raw();
    other["m"] = Value(1);
    EXPECT_NE(bad, DockTile(other));
    EXPECT_NE(DockTile(other), bad);
    EXPECT_THROW(bad.encode(), plist::PlistError);
    DockTile copy = bad;
    EXPECT_THROW(copy.encode(), plist::PlistError);
    EXPECT_THROW(bad.encode(), plist::PlistError);
}

TEST(DockTileCoding, RoundTripsEveryValueType) {
    DockTile tile(plist::Dictionary{
        {"GUID", Value(std::int64_t{-5})},
        {"tile-data", Value(plist::Dictionary{{"book", Value(plist::Data{0, 1, 2, 0xFF})},
                                              {"when", Value(plist::Date{123.5})},
                                              {"ratio", Value(0.1)},
                                              {"flag", Value(true)},
                                              {"list", Value(plist::Array{Value(1), Value(plist::Array{})})},
                                              {"name", Value("Ünïcode ✓")}})},
    });
    auto bytes = tile.encode();
    ASSERT_GE(bytes.size(), 8u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 8), "bplist00");
    auto decoded = DockTile::decode(bytes);
    EXPECT_EQ(decoded.raw(), tile.raw());

    auto xml = plist::toXML(Value(plist::Dictionary{{"k", Value("v")}}));
    EXPECT_EQ(DockTile::decode(plist::Data(xml.begin(), xml.end())).raw().at("k"), Value("v"));
}

TEST(DockTileCoding, DecodingRejectsNonDictionariesAndGarbage) {
    auto array = plist::toBinary(Value(plist::Array{Value(1)}));
    try {
        DockTile::decode(plist::Data(array.begin(), array.end()));
        FAIL() << "decoded an array";
    } catch (const TileDecodingError& e) {
        EXPECT_STREQ(e.what(), "Tile is not a dictionary");
    }
    auto text = plist::toBinary(Value("just a string"));
    EXPECT_THROW(DockTile::decode(plist::Data(text.begin(), text.end())), TileDecodingError);
    auto good = DockTile(plist::Dictionary{{"a", Value(1)}}).encode();
    good.resize(good.size() - 3);
    EXPECT_THROW(DockTile::decode(good), plist::PlistError);
    EXPECT_THROW(DockTile::decode({}), plist::PlistError);
}

TEST(DockTileCoding, AKeptEncodingFollowsItsDictionaryThroughCopiesAndAssignment) {
    DockTile tile = withData({{"file-label", Value("Mail")}, {"book", Value(plist::Data(300, 7))}});
    const std::string binary = plist::toBinary(Value(tile.raw()));
    const plist::Data bytes(binary.begin(), binary.end());
    EXPECT_EQ(tile.encode(), bytes);
    DockTile copy = tile;
    DockTile other = withData({{"file-label", Value("Notes")}});
    EXPECT_NE(other.encode(), bytes);
    copy = other;
    EXPECT_EQ(copy.encode(), other.encode());
    EXPECT_EQ(tile.encode(), bytes);
}

TEST(DockTileCoding, EqualityIsByDictionaryNotByEncoding) {
    // The same dictionary read from XML and from binary bytes, one tile encoded already
    // and one not: equal. A NaN equals itself either way.
    plist::Dictionary raw{{"tile-data", Value(plist::Dictionary{{"file-label", Value("Mail")}})},
                          {"ratio", Value(std::nan(""))}};
    auto xml = plist::toXML(Value(raw));
    DockTile fromXML = DockTile::decode(plist::Data(xml.begin(), xml.end()));
    DockTile built(raw);
    DockTile fromBinary = DockTile::decode(built.encode());
    EXPECT_EQ(fromXML, fromBinary);
    EXPECT_EQ(fromBinary, built);
    EXPECT_EQ(fromBinary.encode(), built.encode());
    EXPECT_FALSE(fromXML == DockTile(plist::Dictionary{{"ratio", Value(std::nan(""))}}));
}

TEST(DockTileCoding, CopiesEncodeFromManyThreadsAtOnce) {
    DockTile tile = withData({{"file-label", Value("Mail")}, {"book", Value(plist::Data(2000, 1))}});
    std::vector<DockTile> copies(8, tile);
    std::vector<const plist::Data*> seen(copies.size());
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < copies.size(); ++i)
        threads.emplace_back([&, i] { seen[i] = &copies[i].encode(); });
    for (auto& thread : threads) thread.join();
    for (const auto* bytes : seen) EXPECT_EQ(bytes, &tile.encode());
    EXPECT_EQ(DockTile::decode(tile.encode()), tile);
}
