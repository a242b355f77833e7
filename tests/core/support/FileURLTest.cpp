#include "core/support/FileURL.h"

#include <gtest/gtest.h>

#include <unistd.h>

using namespace kestrine;

TEST(FileURL, EncodesWhatAURLPathCannotHold) {
    EXPECT_EQ(percentEncodePath("/A B/100%/#?"), "/A%20B/100%25/%23%3F");
    EXPECT_EQ(percentEncodePath("/Café"), "/Caf%C3%A9");
    EXPECT_EQ(percentEncodePath("/a-._~!$&'()*+,;=:@b"), "/a-._~!$&'()*+,;=:@b");
    EXPECT_EQ(percentEncodePath(std::string("/nul\0x", 6)), "/nul%00x");
}

TEST(FileURL, DecodingInvertsEncodingAndRejectsBrokenEscapes) {
    for (const char* path : {"/A B/100%/#?", "/Café Über/日本.app", "/%41"})
        EXPECT_EQ(percentDecode(percentEncodePath(path)), path);
    EXPECT_EQ(percentDecode("%e9%C3"), "\xE9\xC3");
    EXPECT_FALSE(percentDecode("%"));
    EXPECT_FALSE(percentDecode("abc%4"));
    EXPECT_FALSE(percentDecode(std::string_view("abc%41", 5))) << "an escape cut off by the end of the text";
    EXPECT_FALSE(percentDecode("%G0"));
}

TEST(FileURL, DirectoryURLStringEndsWithOneSlash) {
    EXPECT_EQ(directoryFileURLString("/Applications/Foo.app/"), "file:///Applications/Foo.app/");
    EXPECT_EQ(directoryFileURLString("/Apps/50% off.app"), "file:///Apps/50%25%20off.app/");
    EXPECT_EQ(directoryFileURLString("/"), "file:///");
    char buffer[4096];
    ASSERT_NE(::getcwd(buffer, sizeof buffer), nullptr);
    std::string cwd = buffer;
    EXPECT_EQ(directoryFileURLString("rel.app"),
              "file://" + percentEncodePath(cwd + (cwd == "/" ? "" : "/") + "rel.app/"));
}

TEST(ParseURL, GivesSchemeDecodedPathAndNameParts) {
    struct Row {
        const char *text, *scheme, *path, *last, *extension, *withoutExtension;
    };
    const Row rows[] = {
        {"file:///Applications/Foo%20Bar.app/", "file", "/Applications/Foo Bar.app", "Foo Bar.app", "app", "Foo Bar"},
        {"FILE://localhost/tmp/x.tar.gz?q=1#f", "file", "/tmp/x.tar.gz", "x.tar.gz", "gz", "x.tar"},
        {"file:///", "file", "/", "", "", ""},
        {"file:///Users/.hidden/", "file", "/Users/.hidden", ".hidden", "", ".hidden"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        auto url = parseURL(row.text);
        ASSERT_TRUE(url);
        EXPECT_EQ(url->scheme, row.scheme);
        EXPECT_EQ(url->path, row.path);
        EXPECT_EQ(url->lastPathComponent(), row.last);
        EXPECT_EQ(url->pathExtension(), row.extension);
        EXPECT_EQ(url->lastPathComponentWithoutExtension(), row.withoutExtension);
    }
}

TEST(ParseURL, RejectsTextThatIsNotAURL) {
    for (const char* bad : {"", "/Applications/Foo Bar.app", "file:///Caf\xC3\xA9", "file:///a%zz", "file:///a\tb",
                            "file:///a\"b"})
        EXPECT_FALSE(parseURL(bad)) << bad;
    auto relative = parseURL("Foo.app");
    ASSERT_TRUE(relative);
    EXPECT_EQ(relative->scheme, "");
}
