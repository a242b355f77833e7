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

using namespace kestrine;
namespace fs = std::filesystem;
using plist::Value;

namespace {

plist::Dictionary identified(const std::string& identifier) { return {{"CFBundleIdentifier", Value(identifier)}}; }
std::string xml(const plist::Dictionary& info) { return plist::toXML(Value(info)); }
// An information file with the identifier and one more entry, in the XML or the binary format.
std::string info(const std::string& id, const char* key, Value value, bool binary = false) {
    plist::Dictionary all = identified(id);
    all[key] = std::move(value);
    return binary ? plist::toBinary(Value(all)) : xml(all);
}

class InstalledAppScannerTest : public ::testing::Test {
protected:
    fs::path folder(const std::string& relative) {
        fs::create_directories(base / relative);
        return base / relative;
    }
    // A bundle with these bytes as its information file, or none.
    void bundle(const std::string& relative, const std::optional<std::string>& info) {
        folder(relative);
        if (info) std::ofstream(folder(relative + "/Contents") / "Info.plist", std::ios::binary) << *info;
    }
    // Bundles with these identifiers; none: without an information file.
    void bundles(std::initializer_list<std::pair<std::string, const char*>> rows) {
        for (auto [relative, id] : rows) bundle(relative, id ? std::optional(xml(identified(id))) : std::nullopt);
    }
    static std::vector<PresetApp> scan(std::vector<fs::path> roots, std::stop_token stop = {}) {
        return InstalledAppScanner(std::move(roots), &InstalledAppScanner::defaultDisplayName).scan(stop);
    }
    // The apps' names and paths below the test's folder, in order.
    std::string listing(const std::vector<PresetApp>& apps) const {
        std::string out;
        for (const auto& app : apps) out += (out.empty() ? "" : " ") + app.name + "=" + fs::path(app.path).lexically_relative(base).string();
        return out;
    }

    kestrine::testing::TempFolder temp;
    const fs::path& base = temp.path();
};

TEST_F(InstalledAppScannerTest, FindsReadableVisibleBundlesOnTwoLevelsIdentifiedByTheirInformationElseByURLLeavingOutAgents) {
    const std::string huge = "<huge>", pipe = "<fifo>", folderInfo = "<folder>", file = "<file>", url = "url";
    const std::string nul = std::string("<plist><dict><key>CFBundleIdentifier</key><string>a") + '\0' + "b</string></dict></plist>";
    const auto id = [](const char* id) { return xml(identified(id)); };
    const std::optional<std::string> none;
    // Each row: the bundle, its information file, and what it is listed as (nothing: left out).
    const std::tuple<std::string, std::optional<std::string>, std::optional<std::string>> rows[] = {
        {"Caps.APP", id("id.caps"), "id.caps"}, {"Utilities/Mixed.aPp", id("id.mixed"), "id.mixed"}, {"Outer.app", none, url},
        {"Deep/Deeper/Third.app", id("id.third"), none}, {"Outer.app/Contents/Applications/Inner.app", id("id.inner"), none},
        {"Document.apps", id("id.not-a-bundle"), none}, {".Hidden.app", id("id.hidden"), none},
        {".hidden-folder/InHidden.app", id("id.in-hidden"), none}, {"Utilities/.Secret.app", id("id.secret"), none},
        // Agents and background-only programs, by a true flag in either format.
        {"XmlAgent.app", info("x.agent", "LSUIElement", Value(true)), none},
        {"BinAgent.app", info("b.agent", "LSUIElement", Value(true), true), none},
        {"Background.app", info("b.bg", "LSBackgroundOnly", Value(true), true), none},
        {"NotAgent.app", info("x.not-agent", "LSUIElement", Value(false)), "x.not-agent"},
        {"StringAgent.app", info("x.string-agent", "LSUIElement", Value("1")), "x.string-agent"},
        {"NumberBackground.app", info("b.number", "LSBackgroundOnly", Value(1), true), "b.number"},
        {"BinaryPlain.app", plist::toBinary(Value(identified("b.plain"))), "b.plain"},
        // No usable identifier, or no usable information file: identified by the URL.
        {"写真.app", none, url}, {"Empty Id.app", id(""), url}, {"Empty.app", "", url},
        {"Number Id.app", xml({{"CFBundleIdentifier", Value(42)}}), url},
        {"NulString.app", nul, url}, // a NUL inside a string would abort the general parser
        {"OddTypes.app", xml({{"CFBundleIdentifier", Value(plist::Array{Value("id.odd")})}, {"LSUIElement", Value(plist::Dictionary{})},
                              {"LSBackgroundOnly", Value(plist::Data{1})}}), url},
        {"Huge.app", huge, url},             // far larger than any information file: not read
        {"FolderInfo.app", folderInfo, url}, // not regular files; a pipe would block a plain read
        {"Pipe.app", pipe, url},
        {"Sealed.app", id("id.sealed"), url},         // an information file that cannot be read counts as empty
        {"Locked/Inside.app", id("id.inside"), none}, // in a folder that cannot be read
        {"Plain.app", file, url},                     // a file: the extension alone decides
    };
    for (const auto& [relative, info, listed] : rows) {
        const std::string path = "root/" + relative;
        if (info == huge) {
            bundle(path, id("id.huge"));
            fs::resize_file(base / path / "Contents/Info.plist", InstalledAppScanner::maxInfoPlistBytes + 1);
        } else if (info == folderInfo) {
            folder(path + "/Contents/Info.plist");
        } else if (info == pipe) {
            ASSERT_EQ(::mkfifo((folder(path + "/Contents") / "Info.plist").c_str(), 0644), 0);
        } else if (info == file) {
            std::ofstream(base / path) << "a file named like a bundle";
        } else if (!fs::exists(base / path)) {
            bundle(path, info);
        }
    }
    bundle("locked-root/Hidden.app", id("id.locked-root"));
    for (const char* locked : {"root/Locked", "locked-root", "root/Sealed.app/Contents/Info.plist"})
        fs::permissions(base / locked, fs::perms::none);
    kestrine::testing::asOrdinaryUser(base, [&] {
        const auto apps = scan({base / "missing", base / "root", base / "locked-root"}); // a missing root contributes nothing
        std::size_t listedCount = 0;
        for (const auto& [relative, info, listed] : rows) {
            SCOPED_TRACE(relative);
            const std::string path = (base / "root" / relative).string();
            const auto found = std::find_if(apps.begin(), apps.end(), [&](const PresetApp& a) { return a.path == path; });
            ASSERT_EQ(found != apps.end(), listed.has_value());
            if (!listed) continue;
            ++listedCount;
            EXPECT_EQ(*found, PresetApp(*listed == url ? "url:" + directoryFileURLString(path) : *listed, path, fs::path(relative).stem().string()));
        }
        EXPECT_EQ(apps.size(), listedCount);
    });
}

TEST_F(InstalledAppScannerTest, DuplicatesKeepTheCopyFoundFirstInRootOrderThenNameOrder) {
    // Within one root, entries are taken in name order, first level and folders alike. Without
    // an identifier two copies have different identities and both stay.
    bundles({{"system/Mail.app", "com.example.mail"}, {"user/Mail.app", "com.example.mail"}, {"user/Mailer.app", "com.example.mail"},
             {"system/Tool.app", nullptr}, {"user/Tool.app", nullptr}, {"system/Aaa/Notes.app", "com.example.notes"},
             {"system/Notes.app", "com.example.notes"}});
    EXPECT_EQ(listing(scan({base / "system", base / "user"})),
              "Mail=system/Mail.app Notes=system/Aaa/Notes.app Tool=system/Tool.app Tool=user/Tool.app");
    EXPECT_EQ(listing(scan({base / "user", base / "system"})),
              "Mail=user/Mail.app Notes=system/Aaa/Notes.app Tool=system/Tool.app Tool=user/Tool.app");
}

TEST_F(InstalledAppScannerTest, SymbolicLinksAreFollowedWithoutLooping) {
    bundles({{"root/Alpha.app", "id.alpha"}, {"elsewhere/Linked.app", "id.linked"}, {"elsewhere/Beyond.app", "id.beyond"}});
    fs::create_directory_symlink(base / "root", base / "root/loop");        // a folder holding itself
    fs::create_directory_symlink(base / "elsewhere", base / "root/Shared"); // a linked folder, the only way to Beyond.app
    fs::create_directory_symlink(base / "elsewhere/Linked.app", base / "root/Alias.app");
    folder("other");
    fs::create_symlink(base / "other/self", base / "other/self");         // resolves to nothing
    fs::create_symlink(base / "other/gone", base / "other/Dangling.app"); // a link named like a bundle
    // Through the loop, Alpha is found again at the second level, and dropped as a duplicate;
    // Alias.app links to Linked.app, which comes later in name order and is dropped the same way.
    const auto apps = scan({base / "root", base / "other"});
    EXPECT_EQ(listing(apps), "Alias=root/Alias.app Alpha=root/Alpha.app Beyond=root/Shared/Beyond.app Dangling=other/Dangling.app");
    EXPECT_EQ(apps.at(0).id, "id.linked");
}

TEST_F(InstalledAppScannerTest, SortsLikeAFileBrowserWithTiesByIdentity) {
    const icu::Locale saved = icu::Locale::getDefault();
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale::setDefault(icu::Locale("en_US"), status);
    for (std::string name : {"App 10", "App 2", "app 1", "Zebra", "Éclair", "banana", "カレンダー", "写真", "メモ"})
        bundle("r/" + name + ".app", xml(identified("id." + name)));
    bundles({{"o/NOTES.app", "id.notes.b"}, {"r/notes.app", "id.notes.a"}});
    const auto apps = scan({base / "r", base / "o"});
    icu::Locale::setDefault(saved, status);
    EXPECT_EQ(listing(apps), "app 1=r/app 1.app App 2=r/App 2.app App 10=r/App 10.app banana=r/banana.app Éclair=r/Éclair.app "
                             "notes=r/notes.app NOTES=o/NOTES.app Zebra=r/Zebra.app カレンダー=r/カレンダー.app メモ=r/メモ.app 写真=r/写真.app");
}

TEST_F(InstalledAppScannerTest, CancellationReturnsNothingNotAPartialListAndAFailingNameLeavesOutThatBundleOnly) {
    bundles({{"first/A.app", "id.a"}, {"first/B.app", "id.b"}, {"second/C.app", "id.c"}});
    const std::vector<fs::path> roots{base / "first", base / "second"};
    std::stop_source before;
    before.request_stop();
    EXPECT_TRUE(scan(roots, before.get_token()).empty());
    // A stop requested while a bundle is described empties the result at the next check,
    // whether that is the next bundle or the next root.
    for (int stopAfter : {0, 1, 2, 3}) {
        std::stop_source source;
        int described = 0;
        InstalledAppScanner scanner(roots, [&](const fs::path& path, const plist::Dictionary& info) {
            if (++described == stopAfter) source.request_stop();
            if (stopAfter == 0 && path.filename() == "B.app") throw std::runtime_error("cannot name");
            return InstalledAppScanner::defaultDisplayName(path, info);
        });
        EXPECT_EQ(listing(scanner.scan(source.get_token())), stopAfter ? "" : "A=first/A.app C=second/C.app");
        EXPECT_EQ(described, stopAfter ? stopAfter : 3) << "the scan goes on after a stop request";
    }
    EXPECT_EQ(InstalledAppScanner(roots, nullptr).scan().size(), 3u) << "no naming function: the default one";
}

TEST(InstalledAppScannerInfo, KeepsOnlyTheEntriesTheScanReadsOfATopLevelDictionary) {
    plist::Dictionary all{{"CFBundleIdentifier", Value("com.example.editor")}, {"CFBundleDisplayName", Value("Text & <Code> \"Editor\"")},
                          {"CFBundleName", Value("写真")}, {"LSUIElement", Value(false)},
                          {"LSBackgroundOnly", Value(1)}, // other types are kept as they are
                          {"CFBundleVersion", Value("1.0")}, {"CFBundleDocumentTypes", Value(plist::Array{Value(plist::Dictionary{})})}};
    plist::Dictionary expected = all;
    expected.erase("CFBundleVersion");
    expected.erase("CFBundleDocumentTypes");
    const std::string head = "<?xml version=\"1.0\"?>\n<plist version=\"1.0\">\n";
    const std::pair<std::string, plist::Dictionary> rows[] = {
        {xml(all), expected}, {plist::toBinary(Value(all)), expected},
        {head + "<dict><key>CFBundleName</key><string>One</string><key>CFBundleName</key><string>Two</string>"
                "<!-- note --><key>CFBundleIdentifier</key><string><![CDATA[A<B]]></string></dict></plist>",
         {{"CFBundleName", Value("Two")}, {"CFBundleIdentifier", Value("A<B")}}},
        {plist::toXML(Value(plist::Array{Value("CFBundleName")})), {}}, {plist::toBinary(Value("CFBundleName")), {}},
        {plist::toBinary(Value(all)).substr(0, 20), {}}, {head + "<dict><key>CFBundleName</key><string>Unclosed", {}}};
    for (const auto& [bytes, wanted] : rows) EXPECT_EQ(InstalledAppScanner::infoFromBytes(bytes), wanted) << bytes;
}

TEST(InstalledAppScannerNames, DefaultDisplayNameStripsTheExtensionThenFallsBack) {
    const plist::Dictionary both{{"CFBundleDisplayName", Value("Shown")}, {"CFBundleName", Value("Short")}};
    const plist::Dictionary onlyShort{{"CFBundleDisplayName", Value("")}, {"CFBundleName", Value("Short")}};
    const plist::Dictionary wrongTypes{{"CFBundleDisplayName", Value(3)}, {"CFBundleName", Value(true)}};
    const std::tuple<const char*, plist::Dictionary, const char*> rows[] = {
        {"/Applications/Tool.APP", both, "Tool"}, {"/Applications/Slash.app/", {}, "Slash"},
        {"/Applications/Plug.bundle", {}, "Plug.bundle"}, {"/Applications/Two.app.app", {}, "Two.app"},
        // Only a name that comes out empty falls back on the information dictionary.
        {"/Applications/.app", both, "Shown"}, {"/Applications/.app", onlyShort, "Short"},
        {"/Applications/.app", wrongTypes, ".app"}, {"/Applications/.APP", {}, ".APP"}};
    for (const auto& [path, info, expected] : rows) EXPECT_EQ(InstalledAppScanner::defaultDisplayName(path, info), expected) << path;
}

TEST(InstalledAppScannerRoots, DefaultRootsAreTheFourFoldersWithTheUsersHome) {
    const char* saved = std::getenv("HOME");
    const std::optional<std::string> savedHome = saved ? std::optional<std::string>(saved) : std::nullopt;
    ::setenv("HOME", "/srv/other", 1);
    auto roots = InstalledAppScanner::defaultRoots();
    if (savedHome) ::setenv("HOME", savedHome->c_str(), 1);
    else ::unsetenv("HOME");
    EXPECT_EQ(roots, (std::vector<fs::path>{"/Applications", "/srv/other/Applications", "/System/Applications",
                                            "/System/Applications/Utilities"}));
}

} // namespace
