#include "core/support/FileURL.h"

#include <gtest/gtest.h>

#include <unistd.h>

using namespace kestrine;

TEST(FileURL, EncodingEscapesWhatAURLPathCannotHoldAndDecodingInvertsItOrRejectsBrokenEscapes) {
    const std::pair<std::string, std::string> rows[] = {
        {"/A B/100%/#?", "/A%20B/100%25/%23%3F"}, {"/Café", "/Caf%C3%A9"}, {"/%41", "/%2541"},
        {"/a-._~!$&'()*+,;=:@b", "/a-._~!$&'()*+,;=:@b"}, {std::string("/nul\0x", 6), "/nul%00x"}};
    for (const auto& [path, encoded] : rows) {
        EXPECT_EQ(percentEncodePath(path), encoded);
        EXPECT_EQ(percentDecode(encoded), path);
    }
    EXPECT_EQ(percentDecode("%e9%C3"), "\xE9\xC3");
    for (std::string_view bad : {"%", "abc%4", "%G0", "%4G"}) EXPECT_FALSE(percentDecode(bad)) << bad;
    EXPECT_FALSE(percentDecode(std::string_view("abc%41", 5))) << "an escape cut off by the end of the text";
}

TEST(FileURL, DirectoryURLStringIsAbsoluteAndEndsWithOneSlash) {
    EXPECT_EQ(directoryFileURLString("/Applications/Foo.app/"), "file:///Applications/Foo.app/");
    EXPECT_EQ(directoryFileURLString("/Apps/50% off.app"), "file:///Apps/50%25%20off.app/");
    EXPECT_EQ(directoryFileURLString("/"), "file:///");
    char buffer[4096];
    ASSERT_NE(::getcwd(buffer, sizeof buffer), nullptr);
    const std::string cwd = buffer;
    EXPECT_EQ(directoryFileURLString("rel.app"), "file://" + percentEncodePath(cwd + (cwd == "/" ? "" : "/") + "rel.app/"));
}

TEST(ParseURL, GivesSchemeDecodedPathAndNamePartsOrNothingForTextThatIsNotAURL) {
    struct Row {
        const char *text, *scheme, *path, *last, *extension, *withoutExtension;
    };
    const Row rows[] = {
        {"file:///Applications/Foo%20Bar.app/", "file", "/Applications/Foo Bar.app", "Foo Bar.app", "app", "Foo Bar"},
        {"FILE://localhost/tmp/x.tar.gz?q=1#f", "file", "/tmp/x.tar.gz", "x.tar.gz", "gz", "x.tar"},
        {"file:///", "file", "/", "", "", ""},
        {"file:///Users/.hidden/", "file", "/Users/.hidden", ".hidden", "", ".hidden"},
        {"Foo.app", "", "Foo.app", "Foo.app", "app", "Foo"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.text);
        auto url = parseURL(r.text);
        ASSERT_TRUE(url);
        EXPECT_EQ(url->scheme, r.scheme);
        EXPECT_EQ(url->path, r.path);
        EXPECT_EQ(url->lastPathComponent(), r.last);
        EXPECT_EQ(url->pathExtension(), r.extension);
        EXPECT_EQ(url->lastPathComponentWithoutExtension(), r.withoutExtension);
    }
    for (const char* bad : {"", "/Applications/Foo Bar.app", "file:///Caf\xC3\xA9", "file:///a%zz", "file:///a\tb", "file:///a\"b"})
        EXPECT_FALSE(parseURL(bad)) << bad;
}
