#include "core/plist/PlistCoding.h"
#include "core/scan/InstalledAppScanner.h"
#include "core/support/FileURL.h"
#include "tests/core/support/TempFolder.h"
#include "tests/core/support/Unprivileged.h"

#include <gtest/gtest.h>
#include <unicode/locid.h>

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <set>

using namespace kestrine;
namespace fs = std::filesystem;

namespace {

enum class Format { XML, Binary };

class InstalledAppScannerTest : public ::testing::Test {
protected:
    void SetUp() override { savedLocale = icu::Locale::getDefault(); }
    void TearDown() override {
        UErrorCode status = U_ZERO_ERROR;
        icu::Locale::setDefault(savedLocale, status);
    }

    fs::path folder(const std::string& relative) {
        fs::path path = base / relative;
        fs::create_directories(path);
        return path;
    }

    fs::path bundle(const std::string& relative, const std::optional<plist::Dictionary>& info,
                    Format format = Format::XML) {
        fs::path path = folder(relative);
        if (info) writeInfoBytes(path, format == Format::XML ? plist::toXML(*info) : plist::toBinary(*info));
        return path;
    }

    static void writeInfoBytes(const fs::path& bundlePath, const std::string& bytes) {
        fs::create_directories(bundlePath / "Contents");
        std::ofstream(bundlePath / "Contents" / "Info.plist", std::ios::binary) << bytes;
    }

    static plist::Dictionary identified(const std::string& identifier) {
        return plist::Dictionary{{"CFBundleIdentifier", plist::Value(identifier)}};
    }

    static std::vector<PresetApp> scan(std::vector<fs::path> roots, std::stop_token stop = {}) {
        return InstalledAppScanner(std::move(roots), &InstalledAppScanner::defaultDisplayName).scan(stop);
    }

    static std::vector<std::string> names(const std::vector<PresetApp>& apps) {
        std::vector<std::string> out;
        for (const auto& app : apps) out.push_back(app.name);
        return out;
    }

    // The app of that name, or an empty record when there is none.
    static PresetApp withName(const std::vector<PresetApp>& apps, const std::string& name) {
        for (const auto& app : apps)
            if (app.name == name) return app;
        return PresetApp();
    }

    static void useLocale(const char* id) {
        UErrorCode status = U_ZERO_ERROR;
        icu::Locale::setDefault(icu::Locale(id), status);
        ASSERT_TRUE(U_SUCCESS(status));
    }

    kestrine::testing::TempFolder temp;
    const fs::path& base = temp.path();
    icu::Locale savedLocale;
};

TEST_F(InstalledAppScannerTest, FindsBundlesOnTheFirstTwoLevelsOnly) {
    bundle("root/Top.app", identified("com.example.top"));
    bundle("root/Utilities/Second.app", identified("com.example.second"));
    bundle("root/Deep/Deeper/Third.app", identified("com.example.third"));
    bundle("root/Outer.app/Contents/Applications/Inner.app", identified("com.example.inner"));
    bundle("root/Caps.APP", identified("com.example.caps"));
    bundle("root/Folder/Mixed.aPp", identified("com.example.mixed"));
    bundle("root/Document.apps", identified("com.example.not-a-bundle"));
    std::ofstream(base / "root" / "Plain.app") << "a file named like a bundle";
    bundle("root/.Hidden.app", identified("com.example.hidden"));
    bundle("root/.hidden-folder/InHidden.app", identified("com.example.in-hidden"));
    bundle("root/Utilities/.Secret.app", identified("com.example.secret"));

    auto apps = scan({base / "root"});
    EXPECT_EQ(names(apps), (std::vector<std::string>{"Caps", "Mixed", "Outer", "Plain", "Second", "Top"}));
    ASSERT_FALSE(withName(apps, "Second").id.empty());
    EXPECT_EQ(withName(apps, "Second").path, (base / "root/Utilities/Second.app").string());
    EXPECT_EQ(withName(apps, "Second").id, "com.example.second");
    // The extension alone decides: a plain file is taken, read as having no information.
    EXPECT_EQ(withName(apps, "Plain").id, "url:" + directoryFileURLString((base / "root/Plain.app").string()));
}

TEST_F(InstalledAppScannerTest, ReadsXMLAndBinaryInformationAndLeavesOutAgents) {
    using plist::Value;
    auto with = [](const std::string& id, const std::string& key, Value value) {
        auto info = identified(id);
        info[key] = std::move(value);
        return info;
    };
    bundle("root/XmlAgent.app", with("x.agent", "LSUIElement", Value(true)), Format::XML);
    bundle("root/BinAgent.app", with("b.agent", "LSUIElement", Value(true)), Format::Binary);
    bundle("root/Background.app", with("b.background", "LSBackgroundOnly", Value(true)), Format::Binary);
    bundle("root/NotAgent.app", with("x.not-agent", "LSUIElement", Value(false)), Format::XML);
    bundle("root/StringAgent.app", with("x.string-agent", "LSUIElement", Value("1")), Format::XML);
    bundle("root/NumberBackground.app", with("b.number", "LSBackgroundOnly", Value(1)), Format::Binary);
    bundle("root/StringBackground.app", with("b.string", "LSBackgroundOnly", Value("YES")), Format::Binary);
    bundle("root/BinaryPlain.app", identified("b.plain"), Format::Binary);

    auto apps = scan({base / "root"});
    EXPECT_EQ(names(apps), (std::vector<std::string>{"BinaryPlain", "NotAgent", "NumberBackground",
                                                     "StringAgent", "StringBackground"}));
    EXPECT_EQ(withName(apps, "BinaryPlain").id, "b.plain");
}

TEST_F(InstalledAppScannerTest, BundleWithoutUsableIdentifierIsIdentifiedByItsURL) {
    bundle("root/No Info.app", std::nullopt);
    bundle("root/Empty Id.app", identified(""));
    bundle("root/Number Id.app", plist::Dictionary{{"CFBundleIdentifier", plist::Value(42)}});
    bundle("root/写真.app", std::nullopt);

    auto apps = scan({base / "root"});
    ASSERT_EQ(apps.size(), 4u);
    for (const auto& app : apps) EXPECT_EQ(app.id, "url:" + directoryFileURLString(app.path)) << app.name;
    EXPECT_EQ(withName(apps, "写真").path, (base / "root/写真.app").string());
    EXPECT_NE(withName(apps, "写真").id.find("%E5%86%99%E7%9C%9F.app/"), std::string::npos);
}

TEST_F(InstalledAppScannerTest, DuplicatesKeepTheCopyFoundFirst) {
    bundle("system/Mail.app", identified("com.example.mail"));
    bundle("user/Mail.app", identified("com.example.mail"));
    bundle("user/Mailer.app", identified("com.example.mail"));
    bundle("system/Tool.app", std::nullopt);
    bundle("user/Tool.app", std::nullopt);
    // Within one root, entries are taken in name order, first level and folders alike.
    bundle("system/Aaa/Notes.app", identified("com.example.notes"));
    bundle("system/Notes.app", identified("com.example.notes"));

    auto apps = scan({base / "system", base / "user"});
    std::multiset<std::string> ids;
    for (const auto& app : apps) ids.insert(app.id);
    EXPECT_EQ(ids.count("com.example.mail"), 1u);
    EXPECT_EQ(withName(apps, "Mail").path, (base / "system/Mail.app").string());
    EXPECT_TRUE(withName(apps, "Mailer").id.empty());
    // Without an identifier the two copies have different identities and both stay.
    auto list = names(apps);
    EXPECT_EQ(std::count(list.begin(), list.end(), "Tool"), 2);
    EXPECT_EQ(withName(apps, "Notes").path, (base / "system/Aaa/Notes.app").string());

    // With the roots the other way round, the user's copy wins.
    auto reversed = scan({base / "user", base / "system"});
    EXPECT_EQ(withName(reversed, "Mail").path, (base / "user/Mail.app").string());
}

TEST_F(InstalledAppScannerTest, MissingAndUnreadableFoldersContributeNothing) {
    bundle("root/Open.app", identified("com.example.open"));
    bundle("root/Locked/Inside.app", identified("com.example.inside"));
    bundle("locked-root/Hidden.app", identified("com.example.locked-root"));
    bundle("root/Sealed.app", identified("com.example.sealed"));
    fs::permissions(base / "root/Locked", fs::perms::none);
    fs::permissions(base / "locked-root", fs::perms::none);
    fs::permissions(base / "root/Sealed.app/Contents/Info.plist", fs::perms::none);

    kestrine::testing::asOrdinaryUser(base, [&] {
        auto apps = scan({base / "missing", base / "root", base / "locked-root"});
        EXPECT_EQ(names(apps), (std::vector<std::string>{"Open", "Sealed"}));
        // An information file that cannot be read counts as empty: the bundle stays, by URL.
        EXPECT_EQ(withName(apps, "Sealed").id.substr(0, 4), "url:");
    });
}

TEST_F(InstalledAppScannerTest, SymbolicLinksAreFollowedWithoutLooping) {
    bundle("root/Alpha.app", identified("com.example.alpha"));
    bundle("elsewhere/Linked.app", identified("com.example.linked"));
    bundle("elsewhere/Beyond.app", identified("com.example.beyond")); // reached only through the link
    fs::create_directory_symlink(base / "root", base / "root/loop");         // a folder holding itself
    fs::create_directory_symlink(base / "elsewhere", base / "root/Shared");  // a linked folder
    fs::create_directory_symlink(base / "elsewhere/Linked.app", base / "root/Alias.app");
    folder("other");
    fs::create_symlink(base / "other/self", base / "other/self");          // resolves to nothing
    fs::create_symlink(base / "other/gone", base / "other/Dangling.app");  // a link named like a bundle

    auto apps = scan({base / "root", base / "other"});
    std::vector<std::string> expected{"Alias", "Alpha", "Beyond", "Dangling"};
    EXPECT_EQ(names(apps), expected);
    // Through the loop, Alpha is found again at the second level, and dropped as a duplicate;
    // through the linked folder, Linked.app is found and dropped the same way.
    EXPECT_EQ(withName(apps, "Alpha").path, (base / "root/Alpha.app").string());
    // Alias.app is a link to Linked.app: same identifier, and it comes first in name order.
    EXPECT_EQ(withName(apps, "Alias").id, "com.example.linked");
    EXPECT_EQ(withName(apps, "Beyond").path, (base / "root/Shared/Beyond.app").string());
}

TEST_F(InstalledAppScannerTest, SortsLikeAFileBrowserWithTiesByIdentity) {
    useLocale("en_US");
    bundle("root/App 10.app", identified("id.app10"));
    bundle("root/App 2.app", identified("id.app2"));
    bundle("root/app 1.app", identified("id.app1"));
    bundle("root/Zebra.app", identified("id.zebra"));
    bundle("root/Éclair.app", identified("id.eclair"));
    bundle("root/banana.app", identified("id.banana"));
    bundle("other/NOTES.app", identified("id.notes.b"));
    bundle("root/notes.app", identified("id.notes.a"));
    bundle("root/カレンダー.app", identified("id.calendar"));
    bundle("root/写真.app", identified("id.photos"));
    bundle("root/メモ.app", identified("id.memo"));

    auto apps = scan({base / "root", base / "other"});
    EXPECT_EQ(names(apps), (std::vector<std::string>{"app 1", "App 2", "App 10", "banana", "Éclair", "notes", "NOTES",
                                                     "Zebra", "カレンダー", "メモ", "写真"}));
    EXPECT_EQ(withName(apps, "notes").id, "id.notes.a");
}

TEST_F(InstalledAppScannerTest, CancellationReturnsNothingNotAPartialList) {
    bundle("first/A.app", identified("id.a"));
    bundle("first/B.app", identified("id.b"));
    bundle("second/C.app", identified("id.c"));
    std::vector<fs::path> roots{base / "first", base / "second"};

    std::stop_source before;
    before.request_stop();
    EXPECT_TRUE(scan(roots, before.get_token()).empty());

    // A stop requested while a bundle is described empties the result at the next check,
    // whether that is the next bundle or the next root.
    for (int stopAfter : {1, 2, 3}) {
        std::stop_source source;
        int described = 0;
        InstalledAppScanner scanner(roots, [&](const fs::path& path, const plist::Dictionary& info) {
            if (++described == stopAfter) source.request_stop();
            return InstalledAppScanner::defaultDisplayName(path, info);
        });
        EXPECT_TRUE(scanner.scan(source.get_token()).empty()) << stopAfter;
        EXPECT_EQ(described, stopAfter) << "the scan goes on after a stop request";
    }
    EXPECT_EQ(scan(roots).size(), 3u);
}

TEST_F(InstalledAppScannerTest, BadInformationFilesGiveTheDocumentedDefaults) {
    auto keep = [this](const std::string& name, const std::string& bytes) {
        fs::path path = folder("root/" + name + ".app");
        writeInfoBytes(path, bytes);
    };
    keep("Empty", "");
    // A NUL inside a string would abort the general parser.
    keep("NulString", std::string("<plist><dict><key>CFBundleIdentifier</key><string>a") + '\0' +
                          "b</string></dict></plist>");
    keep("OddTypes", plist::toXML(plist::Value(plist::Dictionary{
                         {"CFBundleIdentifier", plist::Value(plist::Array{plist::Value("id.odd")})},
                         {"LSUIElement", plist::Value(plist::Dictionary{})},
                         {"LSBackgroundOnly", plist::Value(plist::Data{1})},
                     })));
    // Far larger than any information file: passed over without being read.
    fs::path huge = folder("root/Huge.app/Contents") / "Info.plist";
    {
        std::ofstream out(huge, std::ios::binary);
        out << plist::toXML(plist::Value(identified("id.huge")));
    }
    fs::resize_file(huge, InstalledAppScanner::maxInfoPlistBytes + 1);
    // Information "files" that are not regular files: a folder and a named pipe (which
    // would block a plain read forever).
    fs::create_directories(base / "root/FolderInfo.app/Contents/Info.plist");
    fs::create_directories(base / "root/Pipe.app/Contents");
    ASSERT_EQ(::mkfifo((base / "root/Pipe.app/Contents/Info.plist").c_str(), 0644), 0);

    auto apps = scan({base / "root"});
    EXPECT_EQ(names(apps), (std::vector<std::string>{"Empty", "FolderInfo", "Huge", "NulString", "OddTypes", "Pipe"}));
    for (const auto& app : apps) EXPECT_EQ(app.id.substr(0, 4), "url:") << app.name;
    EXPECT_TRUE(InstalledAppScanner::readInfo(base / "root/Huge.app").empty());
    EXPECT_TRUE(InstalledAppScanner::readInfo(base / "root/Pipe.app").empty());
}

TEST(InstalledAppScannerInfo, KeepsOnlyTheEntriesTheScanReadsOfATopLevelDictionary) {
    using plist::Value;
    plist::Dictionary all{{"CFBundleIdentifier", Value("com.example.editor")},
                          {"CFBundleDisplayName", Value("Text & <Code> \"Editor\"")},
                          {"CFBundleName", Value("写真")},
                          {"LSUIElement", Value(false)},
                          {"LSBackgroundOnly", Value(1)}, // other types are kept as they are
                          {"CFBundleVersion", Value("1.0")},
                          {"CFBundleDocumentTypes", Value(plist::Array{Value(plist::Dictionary{})})}};
    plist::Dictionary expected = all;
    expected.erase("CFBundleVersion");
    expected.erase("CFBundleDocumentTypes");
    const std::string head = "<?xml version=\"1.0\"?>\n<plist version=\"1.0\">\n";
    struct Case {
        std::string bytes;
        plist::Dictionary expected;
    };
    std::vector<Case> cases{
        {plist::toXML(Value(all)), expected},
        {plist::toBinary(Value(all)), expected},
        {head + "<dict><key>CFBundleName</key><string>One</string><key>CFBundleName</key><string>Two</string>"
                "<!-- note --><key>CFBundleIdentifier</key><string><![CDATA[A<B]]></string></dict></plist>",
         {{"CFBundleName", Value("Two")}, {"CFBundleIdentifier", Value("A<B")}}},
        {plist::toXML(Value(plist::Array{Value("CFBundleName")})), {}},
        {plist::toBinary(Value("CFBundleName")), {}},
        {"garbage", {}},
        {"", {}},
        {plist::toBinary(Value(all)).substr(0, 20), {}},
        {head + "<dict><key>CFBundleName</key><string>Unclosed", {}},
    };
    for (const auto& [bytes, wanted] : cases) EXPECT_EQ(InstalledAppScanner::infoFromBytes(bytes), wanted) << bytes;
}

TEST_F(InstalledAppScannerTest, AFailingDisplayNamePassesOverThatBundleOnly) {
    bundle("root/Good.app", identified("id.good"));
    bundle("root/Bad.app", identified("id.bad"));
    InstalledAppScanner scanner({base / "root"}, [](const fs::path& path, const plist::Dictionary& info) {
        if (path.filename() == "Bad.app") throw std::runtime_error("cannot name");
        return InstalledAppScanner::defaultDisplayName(path, info);
    });
    std::vector<PresetApp> apps;
    EXPECT_NO_THROW(apps = scanner.scan());
    EXPECT_EQ(names(apps), std::vector<std::string>{"Good"});

    // Without a naming function the default one is used.
    EXPECT_EQ(names(InstalledAppScanner({base / "root"}, nullptr).scan()), (std::vector<std::string>{"Bad", "Good"}));
}

TEST(InstalledAppScannerNames, DefaultDisplayNameStripsTheExtensionThenFallsBack) {
    using plist::Value;
    plist::Dictionary names{{"CFBundleDisplayName", Value("Shown")}, {"CFBundleName", Value("Short")}};
    plist::Dictionary onlyShort{{"CFBundleDisplayName", Value("")}, {"CFBundleName", Value("Short")}};
    plist::Dictionary wrongTypes{{"CFBundleDisplayName", Value(3)}, {"CFBundleName", Value(true)}};

    EXPECT_EQ(InstalledAppScanner::defaultDisplayName("/Applications/Tool.APP", names), "Tool");
    EXPECT_EQ(InstalledAppScanner::defaultDisplayName("/Applications/Slash.app/", {}), "Slash");
    EXPECT_EQ(InstalledAppScanner::defaultDisplayName("/Applications/Plug.bundle", {}), "Plug.bundle");
    EXPECT_EQ(InstalledAppScanner::defaultDisplayName("/Applications/Two.app.app", {}), "Two.app");
    // Only a name that comes out empty falls back on the information dictionary.
    EXPECT_EQ(InstalledAppScanner::defaultDisplayName("/Applications/.app", names), "Shown");
    EXPECT_EQ(InstalledAppScanner::defaultDisplayName("/Applications/.app", onlyShort), "Short");
    EXPECT_EQ(InstalledAppScanner::defaultDisplayName("/Applications/.app", wrongTypes), ".app");
    EXPECT_EQ(InstalledAppScanner::defaultDisplayName("/Applications/.APP", {}), ".APP");
}

TEST(InstalledAppScannerRoots, DefaultRootsAreTheFourFoldersWithTheUsersHome) {
    const char* saved = std::getenv("HOME");
    std::optional<std::string> savedHome = saved ? std::optional<std::string>(saved) : std::nullopt;
    ::setenv("HOME", "/srv/other", 1);
    auto roots = InstalledAppScanner::defaultRoots();
    if (savedHome) ::setenv("HOME", savedHome->c_str(), 1); else ::unsetenv("HOME");
    EXPECT_EQ(roots, (std::vector<fs::path>{"/Applications", "/srv/other/Applications", "/System/Applications",
                                            "/System/Applications/Utilities"}));
}

} // namespace
