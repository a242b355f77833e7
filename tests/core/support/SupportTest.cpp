#include "core/support/AtomicFile.h"
#include "core/support/FileURL.h"
#include "core/support/JsonFile.h"
#include "core/support/UUID.h"
#include "core/support/Unicode.h"
#include "tests/core/support/TempFolder.h"
#include "tests/core/support/Unprivileged.h"


#include <gtest/gtest.h>

#include <regex>

using namespace kestrine;
using namespace kestrine::testing;
namespace fs = std::filesystem;

static std::size_t entries(const fs::path& folder) { return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), {})); }

TEST(AtomicFile, WritesReplacesAndReadsBackExactBytesCreatingMissingFolders) {
    TempFolder folder;
    const auto file = folder / "a/b/f.bin"; // the folders are made on the first write
    for (const std::string& bytes : {std::string("a\0b\xFF\n", 5), std::string("shorter"), std::string()}) {
        writeFileAtomically(file, bytes);
        EXPECT_EQ(std::pair(readFile(file), readFileIfExists(file)), std::pair(bytes, std::optional(bytes)));
    }
    EXPECT_EQ(entries(folder / "a/b"), 1u); // no temporary file left behind
    EXPECT_FALSE(readFileIfExists(folder / "absent"));
}

TEST(AtomicFile, FailuresThrowKeepWhatWasThereAndLeaveNoTemporaryFile) {
    TempFolder folder;
    EXPECT_THROW(readFile(folder / "absent"), fs::filesystem_error);
    EXPECT_THROW(readFileIfExists(folder.path()), fs::filesystem_error); // a folder
    // A folder with content where the file should go: the final replace fails, even as root.
    writeFileAtomically(folder / "occupied/inside", "keep");
    EXPECT_THROW(writeFileAtomically(folder / "occupied", "new"), fs::filesystem_error);
    EXPECT_EQ(entries(folder.path()), 1u);
    // A parent that is a file cannot be created as a folder.
    EXPECT_THROW(writeFileAtomically(folder / "occupied/inside/child", "x"), fs::filesystem_error);
    // A read-only folder keeps the old file.
    asOrdinaryUser(folder.path(), [&] {
        fs::permissions(folder / "occupied", fs::perms::owner_write, fs::perm_options::remove);
        EXPECT_THROW(writeFileAtomically(folder / "occupied/inside", "new"), fs::filesystem_error);
        EXPECT_EQ(readFile(folder / "occupied/inside"), "keep");
        EXPECT_EQ(entries(folder / "occupied"), 1u);
    });
}

TEST(AtomicFile, WritesThroughSymbolicLinksAndKeepsTheReplacedFilesPermissions) {
    // The link at "settings/state.json" (empty: a plain file), where the bytes land, the target's mode
    // before (none: it does not exist yet) and the files in "dotfiles" afterwards (no temporary one).
    const std::tuple<const char*, const char*, fs::perms, std::size_t> rows[] = {
        {"", "settings/state.json", fs::perms(0600), 0}, {"../dotfiles/state.json", "dotfiles/state.json", fs::perms(0640), 1},
        {"../dotfiles/hop.json", "dotfiles/real.json", fs::perms(0604), 2}, // hop.json links on
        {"../dotfiles/new.json", "dotfiles/new.json", fs::perms::none, 1}};
    for (const auto& [link, to, mode, inDotfiles] : rows) {
        SCOPED_TRACE(to);
        TempFolder folder;
        const fs::path file = folder / "settings/state.json", target = folder / to;
        for (const char* sub : {"settings", "dotfiles"}) fs::create_directories(folder / sub);
        if (mode != fs::perms::none) writeFileAtomically(target, "old");
        if (mode != fs::perms::none) fs::permissions(target, mode);
        if (*link) fs::create_symlink(link, file);
        if (target.filename() == "real.json") fs::create_symlink("real.json", folder / "dotfiles/hop.json");
        writeFileAtomically(file, "new");
        EXPECT_EQ(readFile(target), "new");
        EXPECT_EQ(fs::is_symlink(file), *link != 0) << "a link stays a link";
        EXPECT_EQ(mode == fs::perms::none ? mode : fs::status(target).permissions(), mode);
        EXPECT_EQ(entries(folder / "settings") * 10 + entries(folder / "dotfiles"), 10 + inDotfiles);
    }
}

TEST(JsonFile, RefusesWhatIsNotASmallRegularFileWithoutBlocking) {
    using Make = std::function<void(const fs::path&)>;
    auto sized = [](std::uintmax_t size) { return Make([size](const fs::path& p) { writeFileAtomically(p, "{}"), fs::resize_file(p, size); }); };
    const std::size_t max = maxJSONFileBytes;
    const ChildOutcome returned = ChildOutcome::returned, threw = ChildOutcome::threw;
    const std::tuple<const char*, Make, std::size_t, ChildOutcome> rows[] = {
        {"missing", [](const fs::path&) {}, max, returned}, {"regular", sized(2), max, returned},
        {"FIFO", [](const fs::path& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); }, max, threw},
        {"link to a device", [](const fs::path& p) { fs::create_symlink("/dev/zero", p); }, max, threw},
        {"folder", [](const fs::path& p) { fs::create_directory(p); }, max, threw},
        {"absurdly large", sized(max + 1), max, threw},
        {"at the limit", sized(1024), 1024, returned}, {"one past the limit", sized(1025), 1024, threw}};
    for (const auto& [name, make, limit, expected] : rows) {
        SCOPED_TRACE(name);
        TempFolder folder;
        make(folder / "hotkey.json");
        EXPECT_EQ(runInChild([&] { readJSONFileIfExists(folder / "hotkey.json", limit); }), expected);
    }
}

TEST(FileURL, EncodingEscapesWhatAURLPathCannotHoldAndDecodingInvertsItOrRejectsBrokenEscapes) {
    const std::pair<std::string, std::string> rows[] = {
        {"/A B/100%/#?", "/A%20B/100%25/%23%3F"}, {"/Café", "/Caf%C3%A9"}, {"/%41", "/%2541"},
        {"/a-._~!$&'()*+,;=:@b", "/a-._~!$&'()*+,;=:@b"}, {std::string("/nul\0x", 6), "/nul%00x"}};
    for (const auto& [path, encoded] : rows)
        EXPECT_EQ(std::pair(percentEncodePath(path), percentDecode(encoded)), std::pair(encoded, std::optional(path)));
    EXPECT_EQ(percentDecode("%e9%C3"), "\xE9\xC3");
    for (std::string_view bad : {"%", "abc%4", "%G0", "%4G"}) EXPECT_FALSE(percentDecode(bad)) << bad;
    EXPECT_FALSE(percentDecode(std::string_view("abc%41", 5))) << "an escape cut off by the end of the text";
}

TEST(FileURL, DirectoryURLStringIsAbsoluteAndEndsWithOneSlash) {
    const std::string cwd = std::filesystem::current_path().string();
    // Paths that end in a slash already and escaping are seen through the apps' URLs.
    EXPECT_EQ(directoryFileURLString("/") + " " + directoryFileURLString("rel.app"),
              "file:/// file://" + percentEncodePath(cwd + (cwd == "/" ? "" : "/") + "rel.app/"));
}

TEST(ParseURL, GivesSchemeDecodedPathAndNamePartsOrNothingForTextThatIsNotAURL) {
    // The text, then scheme, path, last component, its extension and the component without it, joined by "|".
    const std::pair<const char*, const char*> rows[] = {
        {"file:///Applications/Foo%20Bar.app/", "file|/Applications/Foo Bar.app|Foo Bar.app|app|Foo Bar"},
        {"FILE://localhost/tmp/x.tar.gz?q=1#f", "file|/tmp/x.tar.gz|x.tar.gz|gz|x.tar"}, {"file:///", "file|/|||"},
        {"file:///Users/.hidden/", "file|/Users/.hidden|.hidden||.hidden"}, {"Foo.app", "|Foo.app|Foo.app|app|Foo"}};
    for (const auto& [text, expected] : rows) {
        const ParsedURL url = parseURL(text).value_or(ParsedURL{}); // text not read as a URL gives empty parts
        EXPECT_EQ(url.scheme + "|" + url.path + "|" + url.lastPathComponent() + "|" + url.pathExtension() + "|" +
                      url.lastPathComponentWithoutExtension(), expected) << text;
    }
    for (const char* bad : {"", "/Applications/Foo Bar.app", "file:///Caf\xC3\xA9", "file:///a%zz", "file:///a\tb", "file:///a\"b"})
        EXPECT_FALSE(parseURL(bad)) << bad;
}

TEST(Unicode, LowercasingIsFullAndLocaleIndependentAndTrimmingTakesUnicodeWhiteSpaceFromBothEnds) {
    const std::tuple<std::string (*)(std::string_view), const char*, const char*> rows[] = {
        {lowercased, "ÉCOLE ÜBER", "école über"}, {lowercased, "ΣΟΦΙΑ", "σοφια"}, {lowercased, "\u212A", "k"} /* Kelvin sign */,
        {lowercased, "\u0130", "i\u0307"} /* dotted capital I: two code points, root locale */, {lowercased, "仕事", "仕事"},
        {trimmed, "  a b \t\n", "a b"}, {trimmed, "\u00A0Name\u00A0", "Name"}, {trimmed, "\u3000全角\u3000", "全角"},
        {trimmed, "a\u00A0\u2028b", "a\u00A0\u2028b"}, {trimmed, " \u00A0\u2028\n", ""},
        {trimmed, "\u200Bx", "\u200Bx"} /* zero-width space is not white space */};
    for (auto [function, text, expected] : rows) EXPECT_EQ(function(text), expected) << text;
}

TEST(Unicode, ContainsIgnoringCaseFoldsBothSides) {
    const std::tuple<const char*, const char*, bool> rows[] = {
        {"Visual Studio Code", "studio", true}, {"straße", "STRASSE", true}, {"Mail", "mails", false}, {"Mail", "", true}};
    for (auto [text, part, expected] : rows) EXPECT_EQ(containsIgnoringCase(text, part), expected) << text << "/" << part;
}

TEST(Unicode, NameCollatorSortsNumericallyIgnoringCaseEvenInThePOSIXLocale) {
    // The POSIX locale (no LANG) would sort in ASCII order; names still sort as in a file browser.
    // Other locales are checked by the scanner's sorting.
    NameCollator posix("en_US_POSIX");
    EXPECT_EQ(std::tuple(posix.compare("apple", "Banana") < 0, posix.compare("App 9", "app 10") < 0, posix.compare("safari", "Safari")), std::tuple(true, true, 0));
}

TEST(UUID, CanonicalUpperCaseVersion4AndDistinct) {
    const std::regex form("^[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}$");
    std::set<std::string> seen;
    for (int i = 0; i < 200; ++i) EXPECT_TRUE(std::regex_match(*seen.insert(makeUUID()).first, form));
    EXPECT_EQ(seen.size(), 200u);
}
