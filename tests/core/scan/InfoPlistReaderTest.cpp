#include "core/plist/PlistCoding.h"
#include "core/plist/PlistScreen.h"
#include "core/scan/InfoPlistReader.h"

#include <gtest/gtest.h>

#include <random>

using namespace kestrine;
using plist::Value;

namespace {

// What the general parser makes of the bytes, restricted to the keys the reader keeps;
// nothing when it refuses them.
std::optional<plist::Dictionary> generalReading(std::string_view bytes) {
    if (!plist::isSafeToParse(bytes)) return std::nullopt;
    try {
        Value value = plist::parse(bytes);
        plist::Dictionary picked;
        if (auto* dictionary = value.dictionary()) {
            for (auto key : InfoPlistReader::keys)
                if (auto it = dictionary->find(std::string(key)); it != dictionary->end()) picked.insert(*it);
        }
        return picked;
    } catch (const plist::PlistError&) {
        return std::nullopt;
    }
}

plist::Dictionary typicalInfo() {
    return plist::Dictionary{
        {"CFBundleIdentifier", Value("com.example.editor")},
        {"CFBundleName", Value("Editor")},
        {"CFBundleDisplayName", Value("Text & <Code> \"Editor\" 'Pro'")},
        {"LSUIElement", Value(false)},
        {"LSBackgroundOnly", Value(true)},
        {"CFBundleVersion", Value("1.0")},
        {"NSHighResolutionCapable", Value(true)},
        {"Count", Value(std::int64_t{-1234567890123})},
        {"Ratio", Value(0.25)},
        {"Built", Value(plist::Date{700000000})},
        {"Blob", Value(plist::Data{0, 1, 2, 250})},
        {"CFBundleDocumentTypes",
         Value(plist::Array{Value(plist::Dictionary{{"CFBundleTypeName", Value("Doc")},
                                                    {"Nested", Value(plist::Array{Value(1), Value(plist::Array{})})},
                                                    {"Empty", Value(plist::Dictionary{})}})})},
    };
}

plist::Dictionary unicodeInfo() {
    return plist::Dictionary{
        {"CFBundleIdentifier", Value("jp.example.photos")},
        {"CFBundleName", Value("写真")},
        {"CFBundleDisplayName", Value("Café \xF0\x9F\x93\xB7")}, // a character beyond the BMP
        {"Détail", Value("clé non ASCII")},
    };
}

TEST(InfoPlistReader, ReadsWhatWritersProduceInOnePass) {
    for (const auto& info : {typicalInfo(), unicodeInfo(), plist::Dictionary{}}) {
        for (const std::string& bytes : {plist::toXML(Value(info)), plist::toBinary(Value(info))}) {
            auto common = InfoPlistReader::readCommonForm(bytes);
            ASSERT_TRUE(common) << bytes.substr(0, 8);
            EXPECT_EQ(*common, *generalReading(bytes));
            EXPECT_EQ(InfoPlistReader::read(bytes), *common);
        }
    }
    auto read = InfoPlistReader::read(plist::toBinary(Value(unicodeInfo())));
    EXPECT_EQ(read.at("CFBundleName"), Value("写真"));
    EXPECT_EQ(read.at("CFBundleDisplayName"), Value("Café \xF0\x9F\x93\xB7"));
    EXPECT_EQ(read.size(), 3u);
    EXPECT_EQ(InfoPlistReader::read(plist::toXML(Value(typicalInfo()))).at("CFBundleDisplayName"),
              Value("Text & <Code> \"Editor\" 'Pro'"));
}

TEST(InfoPlistReader, LeavesUnusualFormsToTheGeneralParserWithTheSameResult) {
    const std::string head = "<?xml version=\"1.0\"?>\n<plist version=\"1.0\">\n";
    struct Case {
        std::string bytes;
        plist::Dictionary expected;
    };
    std::vector<Case> cases{
        // Repeated key: the general parser keeps the last value.
        {head + "<dict><key>CFBundleName</key><string>One</string><key>CFBundleName</key><string>Two</string></dict>"
                "</plist>",
         {{"CFBundleName", Value("Two")}}},
        // A comment among the entries, and character data in a CDATA section.
        {head + "<dict><!-- note --><key>CFBundleName</key><string><![CDATA[A<B]]></string></dict></plist>",
         {{"CFBundleName", Value("A<B")}}},
        // A numeric character reference.
        {head + "<dict><key>CFBundleName</key><string>&#65;pp</string></dict></plist>", {{"CFBundleName", Value("App")}}},
        // Values of other types under the keys the scan reads are kept as they are.
        {head + "<dict><key>CFBundleIdentifier</key><integer>7</integer><key>LSUIElement</key><string>1</string>"
                "</dict></plist>",
         {{"CFBundleIdentifier", Value(7)}, {"LSUIElement", Value("1")}}},
        // No <plist> element around the dictionary.
        {"<dict><key>CFBundleName</key><string>Bare</string></dict>", {{"CFBundleName", Value("Bare")}}},
        // Not a dictionary at the top level.
        {head + "<array><string>CFBundleName</string></array></plist>", {}},
        {plist::toBinary(Value(plist::Array{Value("CFBundleName")})), {}},
        // Not a property list at all.
        {"", {}},
        {"garbage", {}},
        {"bplist00", {}},
        {head + "<dict><key>CFBundleName</key><string>Unclosed", {}},
    };
    for (const auto& [bytes, expected] : cases) {
        EXPECT_FALSE(InfoPlistReader::readCommonForm(bytes)) << bytes;
        EXPECT_EQ(InfoPlistReader::read(bytes), expected) << bytes;
    }

    // Forms whose reading differs between parsers: bytes that are not UTF-8 in text, and
    // an empty UTF-16 string in a binary file.
    std::string badUTF8 = plist::toXML(Value(plist::Dictionary{{"CFBundleName", Value("Ratio")}}));
    badUTF8.replace(badUTF8.find("Ratio"), 5, "Rat\xF4o");
    std::string emptyUTF16 = plist::toBinary(Value(plist::Dictionary{{"CFBundleName", Value("\xC3\xA9")}}));
    auto utf16 = emptyUTF16.find(std::string("\x61\x00\xE9", 3)); // one UTF-16 unit, U+00E9
    ASSERT_NE(utf16, std::string::npos);
    emptyUTF16[utf16] = '\x60';
    for (const std::string& bytes : {badUTF8, emptyUTF16}) {
        EXPECT_FALSE(InfoPlistReader::readCommonForm(bytes));
        EXPECT_EQ(InfoPlistReader::read(bytes), generalReading(bytes).value_or(plist::Dictionary{}));
    }
}

// Byte-level damage to well-formed files: whenever the one-pass reader accepts the
// result, the general parser must accept it too and agree on every kept entry.
TEST(InfoPlistReader, AgreesWithTheGeneralParserOnDamagedFiles) {
    std::vector<std::string> seeds{plist::toXML(Value(typicalInfo())), plist::toBinary(Value(typicalInfo())),
                                   plist::toXML(Value(unicodeInfo())), plist::toBinary(Value(unicodeInfo()))};
    std::mt19937 random(20240601);
    int accepted = 0, refused = 0;
    for (const std::string& seed : seeds) {
        for (int round = 0; round < 1500; ++round) {
            std::string bytes = seed;
            int edits = 1 + static_cast<int>(random() % 3);
            for (int e = 0; e < edits && !bytes.empty(); ++e) {
                std::size_t at = random() % bytes.size();
                switch (random() % 5) {
                case 0: bytes[at] = static_cast<char>(random()); break;
                case 1: bytes[at] = static_cast<char>(bytes[at] ^ (1 << (random() % 8))); break;
                case 2: bytes.erase(at, 1 + random() % 8); break;
                case 3: bytes.insert(at, 1, "<>&/\"x\0\xff"[random() % 8]); break;
                case 4: bytes.resize(at); break;
                }
            }
            auto common = InfoPlistReader::readCommonForm(bytes);
            auto general = generalReading(bytes);
            if (common) {
                ++accepted;
                ASSERT_TRUE(general) << "accepted what the general parser refuses, round " << round;
                ASSERT_EQ(*common, *general) << "round " << round;
            } else {
                ++refused;
            }
            EXPECT_EQ(InfoPlistReader::read(bytes), general.value_or(plist::Dictionary{}));
        }
    }
    // Both outcomes must actually occur for the comparison to mean anything.
    EXPECT_GT(accepted, 100);
    EXPECT_GT(refused, 100);
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

// Inputs that crash the general parser (an abort on U+0000 in a string, a stack overflow
// on deep nesting) are unreadable, and the process survives them.
TEST(InfoPlistReader, FilesThatWouldCrashTheGeneralParserAreUnreadable) {
    const std::string head = "<?xml version=\"1.0\"?>\n<plist version=\"1.0\">\n";
    std::string nulInString = head + "<dict><key>CFBundleName</key><string>A";
    nulInString += '\0';
    nulInString += "B</string></dict></plist>";

    std::string utf16 = plist::toBinary(Value(plist::Dictionary{{"CFBundleName", Value("写真")}}));
    auto marker = utf16.find('\x62'); // a UTF-16 string of two units
    ASSERT_NE(marker, std::string::npos);
    std::string nulInUTF16 = utf16;
    nulInUTF16[marker + 1] = nulInUTF16[marker + 2] = '\0';

    std::string deepXML = "<plist>";
    for (int i = 0; i < 1000000; ++i) deepXML += "<array>";

    for (const std::string& bytes : {nulInString, nulInUTF16, deepXML, deepBinary(100000)}) {
        EXPECT_FALSE(plist::isSafeToParse(bytes));
        EXPECT_TRUE(InfoPlistReader::read(bytes).empty());
    }
    // Within the limits, nesting is the general parser's business (it refuses beyond 512).
    EXPECT_TRUE(plist::isSafeToParse(deepBinary(600)));
    EXPECT_TRUE(InfoPlistReader::read(deepBinary(600)).empty());
    EXPECT_TRUE(plist::isSafeToParse(utf16));
    EXPECT_EQ(InfoPlistReader::read(utf16).at("CFBundleName"), Value("写真"));
}

} // namespace
