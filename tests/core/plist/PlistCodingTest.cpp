#include "core/plist/Base64.h"
#include "core/plist/PlistCoding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>


using namespace kestrine::plist;

static Value sample(double when = 123456.5) {
    Dictionary inner{{"book", Value(Data{0, 1, 2, 255})}, {"when", Value(Date{when})}};
    return Value(Dictionary{{"s", Value("héllo")}, {"i", Value(std::int64_t{-42})}, {"r", Value(2.5)},
                            {"b", Value(true)}, {"d", Value(inner)}, {"a", Value(Array{Value(1), Value("x")})},
                            {"big", Value(std::int64_t{9007199254740993})}});
}

// A binary property list of `depth` arrays, each holding the next.
static std::string deepBinary(int depth) {
    auto bigEndian = [](std::string& out, std::uint64_t n, int bytes) { for (int k = bytes - 1; k >= 0; --k) out += static_cast<char>(n >> (8 * k)); };
    std::string bytes = "bplist00", table;
    for (int i = 0; i < depth; ++i) {
        bigEndian(table, bytes.size(), 4);
        bytes += i + 1 == depth ? '\xA0' : '\xA1';
        if (i + 1 < depth) bigEndian(bytes, static_cast<std::uint64_t>(i + 1), 4);
    }
    std::string trailer = std::string(6, '\0') + "\x04\x04";
    for (std::uint64_t n : {static_cast<std::uint64_t>(depth), std::uint64_t{0}, std::uint64_t{bytes.size()}}) bigEndian(trailer, n, 8);
    return bytes + table + trailer;
}

TEST(PlistCoding, RoundTripsEveryTypeWithUIDsAndNaNsThroughBinaryWholeSecondDatesThroughXMLAndReadsKeysInAnyOrder) {
    EXPECT_EQ(parse(toBinary(sample())), sample());
    EXPECT_EQ(parse(toXML(sample(123456.0))), sample(123456.0));
    EXPECT_NE(parse(toXML(sample())), sample()) << "XML dates carry whole seconds only";
    const Value archive(Dictionary{{"$top", Value(Dictionary{{"root", Value(Uid{1})}})},
                                   {"$objects", Value(Array{Value("$null"), Value(Uid{0xFFFFFFFFu})})},
                                   {"parent-mod-date", Value(std::nan(""))}});
    EXPECT_EQ(parse(toBinary(archive)), archive); // a NaN read from a file equals itself, and a UID is no integer (below)
    EXPECT_EQ(std::tuple(Value(Uid{1}) == Value(1), Value(std::nan("")) == Value(1.0), Value(std::uint64_t{7}) == Value(std::int64_t{7})),
              std::tuple(false, false, true));
    // Dictionary keys in any order, empty elements; a repeated key keeps the last value.
    EXPECT_EQ(parse(R"(<?xml version="1.0" encoding="UTF-8"?><plist version="1.0"><dict><key>b</key><string>first</string>
<key>a</key><data></data><key>c</key><dict><key>z</key><integer>1</integer><key>y</key><string></string></dict>
<key>b</key><string>last</string></dict></plist>)"),
              Value(Dictionary{{"a", Value(Data{})}, {"b", Value("last")},
                               {"c", Value(Dictionary{{"y", Value("")}, {"z", Value(1)}})}}));
}

TEST(PlistCoding, DatesKeepTheirFractionBefore2001AndFarDatesAreExactOrRefused) {
    for (double when : {-3600.25, -1.5, -3600.0000305, -86400.999999, 1.25, -2147483648.5, 2147483647.75})
        EXPECT_NEAR(parse(toBinary(Value(Date{when}))).date()->secondsSince2001, when, 1e-6) << when;
    // Beyond the library's 32-bit seconds: whole seconds go through its XML dates and come
    // back exact; a fraction there, or a date past any calendar, is refused, never wrapped.
    for (double when : {2147483648.0, -2147483649.0, 3137229296.0, -15778800000.0, 252423993599.0})
        for (const auto& bytes : {toBinary(Value(Date{when})), toXML(Value(Date{when}))})
            EXPECT_EQ(parse(bytes).date()->secondsSince2001, when) << std::setprecision(17) << when;
    for (double when : {2147483648.5, -2147483649.25, 1e300}) EXPECT_THROW(toBinary(Value(Date{when})), PlistError) << when;
}

TEST(PlistCoding, ADateReadFromAFileWritesBackUnchanged) {
    // Fractions whose double lies just under the microsecond once drifted by one on every
    // load and save.
    std::uint64_t seed = 42;
    for (int i = 0; i < 20000; ++i) {
        seed = seed * 6364136223846793005ull + 1442695040888963407ull;
        double when = static_cast<double>(static_cast<std::int64_t>(seed >> 33) % 2000000000 - 1000000000) / 1000.0;
        const Value read = parse(toBinary(Value(Date{i == 0 ? -443171.658 : when})));
        ASSERT_EQ(parse(toBinary(read)), read) << std::setprecision(17) << when;
    }
}

TEST(PlistCoding, RefusesWhatIsNotAPropertyListWhatWouldCrashTheLibraryAndWhatItCannotWrite) {
    // The library aborts on U+0000 in a string and overflows its stack on deep nesting:
    // such input must be refused before it gets there, and the process must survive.
    auto bytes = toBinary(sample());
    auto patched = [](std::string s, std::size_t at, const std::string& with) { return s.replace(at, with.size(), with); };
    const std::string nulInString = std::string("<plist><dict><key>k</key><string>A") + '\0' + "B</string></dict></plist>";
    // "é" is stored as UTF-16 with a zero byte, which alone is no U+0000.
    const std::string utf16 = toBinary(Value(Dictionary{{"k", Value("é写")}}));
    // 0x62 marks a UTF-16 string of two units; the NUL goes in its second.
    const std::string nulInUTF16 = patched(utf16, utf16.find('\x62', 8) + 3, std::string(2, '\0'));
    std::string deepXML = "<plist>";
    for (int i = 0; i < 1000000; ++i) deepXML += "<array>";
    const std::string empty = toBinary(Value(Array{})), abc = toBinary(Value(Dictionary{{"key", Value("abc")}}));
    const std::string topOutOfRange = patched(empty, empty.size() - 9, "\x01"); // top object 1 of a table of 1
    const std::string badASCII = patched(abc, abc.find("abc") + 1, "\xE9");    // one-byte string above 0x7F

    for (const std::string& bad : {std::string(), std::string("not a plist"), bytes.substr(0, bytes.size() / 2),
                                   std::string("bplist00"), nulInString, nulInUTF16, deepXML, deepBinary(100000),
                                   deepBinary(600), topOutOfRange, badASCII})
        EXPECT_THROW(parse(bad), PlistError) << bad.substr(0, 40);
    // The same file without the NUL, and nesting within the library's reach, are read.
    EXPECT_EQ(*parse(utf16).dictionary()->at("k").string(), "é写");
    EXPECT_NO_THROW(parse(deepBinary(500)));

    // Unsigned above the signed range; strings cut short, overlong (two, three and four
    // bytes), a surrogate, beyond U+10FFFF.
    EXPECT_THROW(toBinary(Value(Dictionary{{"u", Value(std::uint64_t{18446744073709551615ull})}})), PlistError);
    for (std::string bad : {"caf\xC3", "\xC0\x80", "\xE0\x82\x80", "\xF0\x8F\xBF\xBF", "\xED\xA0\x80", "\xF4\x90\x80\x80"}) {
        EXPECT_THROW(toBinary(Value(bad)), PlistError) << bad;
        EXPECT_THROW(toXML(Value(Dictionary{{bad, Value(1)}})), PlistError) << bad;
    }
}

TEST(Base64, EncodesRFC4648AndDecodesOnlyCanonicalTextReplacingABuffersContents) {
    for (auto [text, encoded] : {std::pair{"f", "Zg=="}, {"fo", "Zm8="}, {"foobar", "Zm9vYmFy"}, {"\xfb\xff", "+/8="}})
        EXPECT_EQ(base64Encode(Data(text, text + std::strlen(text))), encoded);
    Data grown; // every length to 70; at the end, as 97 is odd, every byte value once
    for (int n = 0; n < 256; ++n) {
        EXPECT_TRUE(n > 70 || base64Decode(base64Encode(grown)) == grown) << n;
        grown.push_back(static_cast<std::uint8_t>(n * 97 + 13));
    }
    EXPECT_EQ(base64Decode(base64Encode(grown)), grown);
    Data buffer(100, 0xAA);
    for (const char* bad : {"Zg", "Zg=", "Z===", "====", "Zm9=", "Zm9v\n", "Zm 9v", "Zm9-", "Zh==", "ZE==", "=Zm9",
                            "Zg==Zg==", "Zm=v", "Zm9v=Zm9"})
        EXPECT_FALSE(base64Decode(bad) || base64Decode(bad, buffer)) << bad;
    EXPECT_TRUE(base64Decode("Zm9vYmE=", buffer) && buffer == (Data{'f', 'o', 'o', 'b', 'a'}));
    EXPECT_TRUE(base64Decode("", buffer) && buffer.empty());
}
