#include "core/plist/Base64.h"
#include "core/plist/PlistCoding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iomanip>
#include <string>
#include <vector>

using namespace kestrine::plist;

namespace {

Value sample(double when = 123456.5) {
    Dictionary inner{{"book", Value(Data{0, 1, 2, 255})}, {"when", Value(Date{when})}};
    return Value(Dictionary{
        {"s", Value("héllo")},     {"i", Value(std::int64_t{-42})}, {"r", Value(2.5)},
        {"b", Value(true)},        {"d", Value(inner)},             {"a", Value(Array{Value(1), Value("x")})},
        {"big", Value(std::int64_t{9007199254740993})},
    });
}

} // namespace

TEST(PlistCoding, BinaryAndXMLRoundTripEveryType) {
    auto v = sample();
    EXPECT_EQ(parse(toBinary(v)), v);
    // XML dates carry whole seconds only.
    EXPECT_EQ(parse(toXML(sample(123456.0))), sample(123456.0));
    EXPECT_NE(parse(toXML(v)), v);
    EXPECT_EQ(toBinary(v).substr(0, 8), "bplist00");
    EXPECT_NE(toXML(v).find("<plist version=\"1.0\">"), std::string::npos);
}

TEST(PlistCoding, DatesBefore2001KeepTheirFractionThroughBinary) {
    for (double when : {-3600.25, -1.5, -3600.0000305, -86400.999999, 1.25, -2147483648.5, 2147483647.75})
        EXPECT_NEAR(parse(toBinary(Value(Date{when}))).date()->secondsSince2001, when, 1e-6) << when;
    // Beyond the library's 32-bit seconds: whole seconds go through its XML dates and come
    // back exact; a fraction there, or a date past any calendar, is refused, never wrapped.
    for (double when : {2147483648.0, -2147483649.0, 3137229296.0, -15778800000.0, 252423993599.0})
        for (const auto& bytes : {toBinary(Value(Date{when})), toXML(Value(Date{when}))})
            EXPECT_EQ(parse(bytes).date()->secondsSince2001, when) << std::setprecision(17) << when;
    for (double when : {2147483648.5, -2147483649.25, 1e300})
        EXPECT_THROW(toBinary(Value(Date{when})), PlistError) << when;
}

TEST(PlistCoding, UIDsStayUIDsThroughBinary) {
    const Value archive(Dictionary{{"$top", Value(Dictionary{{"root", Value(Uid{1})}})},
                                   {"$objects", Value(Array{Value("$null"), Value(Uid{0xFFFFFFFFu})})}});
    const Value read = parse(toBinary(archive));
    EXPECT_EQ(read, archive);
    EXPECT_EQ(read.find("$top")->find("root")->type(), Value::Type::Uid);
    EXPECT_NE(Value(Uid{1}), Value(1));
}

TEST(PlistCoding, ADateReadFromAFileWritesBackUnchanged) {
    // Fractions whose double lies just under the microsecond once drifted by one on every
    // load and save.
    std::uint64_t seed = 42;
    for (int i = 0; i < 20000; ++i) {
        seed = seed * 6364136223846793005ull + 1442695040888963407ull;
        double when = static_cast<double>(static_cast<std::int64_t>(seed >> 33) % 2000000000 - 1000000000) / 1000.0;
        if (i == 0) when = -443171.658;
        const Value read = parse(toBinary(Value(Date{when})));
        ASSERT_EQ(parse(toBinary(read)), read) << std::setprecision(17) << when;
    }
}

// A binary property list of `depth` arrays, each holding the next.
std::string deepBinary(int depth) {
    std::string bytes = "bplist00";
    std::vector<std::uint32_t> offsets;
    for (int i = 0; i < depth; ++i) {
        offsets.push_back(static_cast<std::uint32_t>(bytes.size()));
        if (i + 1 == depth) {
            bytes += '\xA0';
            break;
        }
        bytes += '\xA1';
        for (int shift = 24; shift >= 0; shift -= 8) bytes += static_cast<char>((i + 1) >> shift);
    }
    auto table = static_cast<std::uint64_t>(bytes.size());
    for (auto offset : offsets)
        for (int shift = 24; shift >= 0; shift -= 8) bytes += static_cast<char>(offset >> shift);
    std::string trailer(32, '\0');
    trailer[6] = 4;
    trailer[7] = 4;
    for (int k = 0; k < 8; ++k) {
        trailer[8 + k] = static_cast<char>(static_cast<std::uint64_t>(depth) >> (8 * (7 - k)));
        trailer[24 + k] = static_cast<char>(table >> (8 * (7 - k)));
    }
    return bytes + trailer;
}

TEST(PlistCoding, RefusesWhatIsNotAPropertyListAndWhatWouldCrashTheLibrary) {
    // The library aborts on U+0000 in a string and overflows its stack on deep nesting:
    // such input must be refused before it gets there, and the process must survive.
    auto bytes = toBinary(sample());
    std::string nulInString = "<plist><dict><key>k</key><string>A";
    nulInString += '\0';
    nulInString += "B</string></dict></plist>";
    // "é" is stored as UTF-16 with a zero byte, which alone is no U+0000.
    std::string utf16 = toBinary(Value(Dictionary{{"k", Value("é写")}}));
    auto marker = utf16.find('\x62', 8); // a UTF-16 string of two units
    ASSERT_NE(marker, std::string::npos);
    std::string nulInUTF16 = utf16;
    nulInUTF16[marker + 3] = nulInUTF16[marker + 4] = '\0'; // its second unit
    std::string deepXML = "<plist>";
    for (int i = 0; i < 1000000; ++i) deepXML += "<array>";
    std::string topOutOfRange = toBinary(Value(Array{}));
    topOutOfRange[topOutOfRange.size() - 9] = 1; // top object 1 of a table of 1

    for (const std::string& bad : {std::string(), std::string("not a plist"), bytes.substr(0, bytes.size() / 2),
                                   std::string("bplist00"), nulInString, nulInUTF16, deepXML, deepBinary(100000),
                                   deepBinary(600), topOutOfRange})
        EXPECT_THROW(parse(bad), PlistError) << bad.substr(0, 40);
    // The same file without the NUL, and nesting within the library's reach, are read.
    EXPECT_EQ(*parse(utf16).dictionary()->at("k").string(), "é写");
    EXPECT_NO_THROW(parse(deepBinary(500)));
}

TEST(PlistCoding, UnsignedAboveSignedRangeIsRefusedNotCorrupted) {
    Value v(Dictionary{{"u", Value(std::uint64_t{18446744073709551615ull})}});
    EXPECT_THROW(toBinary(v), PlistError);
    EXPECT_EQ(Value(std::uint64_t{7}), Value(std::int64_t{7}));
}

TEST(Base64, RFC4648VectorsAndRoundTripsOfEveryLengthAndByteValue) {
    auto bytes = [](std::string s) { return Data(s.begin(), s.end()); };
    EXPECT_EQ(base64Encode(bytes("f")), "Zg==");
    EXPECT_EQ(base64Encode(bytes("fo")), "Zm8=");
    EXPECT_EQ(base64Encode(bytes("foobar")), "Zm9vYmFy");
    EXPECT_EQ(base64Encode(Data{0xfb, 0xff}), "+/8=");
    Data grown, all;
    for (int length = 0; length <= 70; ++length) {
        std::string text = base64Encode(grown);
        EXPECT_EQ(text.size(), (grown.size() + 2) / 3 * 4);
        EXPECT_EQ(base64Decode(text), grown) << text;
        grown.push_back(static_cast<std::uint8_t>(length * 97 + 13));
    }
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<std::uint8_t>(b));
    EXPECT_EQ(base64Decode(base64Encode(all)), all);
}

TEST(Base64, DecoderRejectsAnythingNotCanonicalAndReplacesABuffersContents) {
    Data buffer(100, 0xAA);
    for (const char* bad : {"Zg", "Zg=", "Z===", "====", "Zm9=", "Zm9v\n", "Zm 9v", "Zm9-", "Zh==", "ZE==", "=Zm9", "Zg==Zg==",
                            "Zm=v", "Zm9v=Zm9"}) {
        EXPECT_FALSE(base64Decode(bad).has_value()) << bad;
        EXPECT_FALSE(base64Decode(bad, buffer)) << bad;
    }
    ASSERT_TRUE(base64Decode("Zm9vYmE=", buffer));
    EXPECT_EQ(buffer, (Data{'f', 'o', 'o', 'b', 'a'}));
    ASSERT_TRUE(base64Decode("", buffer));
    EXPECT_TRUE(buffer.empty());
}

TEST(PlistCoding, StringsMustBeValidUTF8BothWays) {
    // A binary plist whose one-byte (ASCII) string holds a byte above 0x7F.
    std::string bytes = toBinary(Value(Dictionary{{"key", Value("abc")}}));
    auto at = bytes.find("abc");
    ASSERT_NE(at, std::string::npos);
    bytes[at + 1] = static_cast<char>(0xE9);
    EXPECT_THROW(parse(bytes), PlistError);
    // Cut short, overlong (two, three and four bytes), a surrogate, beyond U+10FFFF.
    for (std::string bad : {"caf\xC3", "\xC0\x80", "\xE0\x82\x80", "\xF0\x8F\xBF\xBF", "\xED\xA0\x80", "\xF4\x90\x80\x80"}) {
        EXPECT_THROW(toBinary(Value(bad)), PlistError) << bad;
        EXPECT_THROW(toXML(Value(Dictionary{{bad, Value(1)}})), PlistError) << bad;
    }
    EXPECT_EQ(parse(toBinary(Value("café ✓ 日本"))), Value("café ✓ 日本"));
}

TEST(PlistCoding, DictionaryKeysInAnyOrderAndRepeatedKeepTheLastValue) {
    std::string xml = R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>
<key>b</key><string>first</string>
<key>a</key><data></data>
<key>c</key><dict><key>z</key><integer>1</integer><key>y</key><string></string></dict>
<key>b</key><string>last</string>
</dict></plist>)";
    Value expected(Dictionary{{"a", Value(Data{})},
                              {"b", Value("last")},
                              {"c", Value(Dictionary{{"y", Value("")}, {"z", Value(1)}})}});
    EXPECT_EQ(parse(xml), expected);
    EXPECT_EQ(parse(toBinary(expected)), expected);
}

TEST(PlistValue, ANaNReadFromAFileEqualsItself) {
    Value tile(Dictionary{{"parent-mod-date", Value(std::nan(""))}});
    EXPECT_EQ(parse(toBinary(tile)), tile);
    EXPECT_NE(Value(std::nan("")), Value(1.0));
}
