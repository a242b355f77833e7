// The string tables: completeness of both languages, fallbacks, formats and broken tables.
#include "app/Localization.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <set>

namespace kestrine {
namespace {

const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);
const QLocale kJapanese(QLocale::Japanese, QLocale::Japan);

std::set<QString> placeholders(const QString& text) {
    std::set<QString> found;
    static const QRegularExpression pattern(QStringLiteral("%[1-9]"));
    for (const auto& match : pattern.globalMatch(text)) found.insert(match.captured());
    return found;
}

Localization compiled(const QLocale& locale) {
    return Localization::fromDirectory(QString::fromLatin1(Localization::compiledDirectory), locale);
}

TEST(LocalizationTest, BothCompiledTablesHaveTheSameKeysEachWithTextAndTheSameArguments) {
    const Localization english = compiled(kEnglish), japanese = compiled(kJapanese);
    EXPECT_TRUE(english.problems().isEmpty() && japanese.problems().isEmpty())
        << (english.problems() + japanese.problems()).join('\n').toStdString();
    ASSERT_EQ(japanese.language(), QStringLiteral("ja"));
    const QStringList keys = japanese.keys(QStringLiteral("en")), localized = japanese.keys(QStringLiteral("ja"));
    EXPECT_GT(keys.size(), 80);
    EXPECT_EQ(std::set<QString>(keys.begin(), keys.end()), std::set<QString>(localized.begin(), localized.end()));
    for (const QString& key : keys) {
        EXPECT_FALSE(english.text(key).trimmed().isEmpty()) << key.toStdString();
        EXPECT_FALSE(japanese.text(key).trimmed().isEmpty()) << key.toStdString();
        EXPECT_EQ(placeholders(english.text(key)), placeholders(japanese.text(key))) << key.toStdString();
    }
    EXPECT_EQ(english.formatted(QStringLiteral("preset.apps.other"), 0), QStringLiteral("0 apps"));
    EXPECT_EQ(english.formatted(QStringLiteral("preset.delete.title"), QStringLiteral("Work")),
              QString::fromUtf8("Delete “Work”?"));
}

TEST(LocalizationTest, TheLocalePicksTheLanguageAndGapsFallBackToEnglishThenTheKey) {
    EXPECT_EQ(compiled(kJapanese).text(QStringLiteral("common.cancel")), QString::fromUtf8("キャンセル"));
    const Localization german = compiled(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(german.language(), QStringLiteral("en"));
    EXPECT_EQ(german.text(QStringLiteral("common.cancel")), QStringLiteral("Cancel"));
    // Numbers are still written the locale's way.
    EXPECT_EQ(german.formatted(QStringLiteral("preset.apps.other"), 1234), QStringLiteral("1.234 apps"));
    EXPECT_EQ(compiled(kEnglish).formatted(QStringLiteral("preset.apps.other"), 1234), QStringLiteral("1,234 apps"));

    const Localization tables = Localization::fromJSON(R"({"a.one": "One", "a.two": "Two %1"})", QStringLiteral("ja"),
                                                       R"({"a.one": "イチ"})", kJapanese);
    for (auto [key, text] : {std::pair("a.one", "イチ"), std::pair("a.two", "Two %1"), std::pair("a.three", "a.three")})
        EXPECT_EQ(tables.text(QString::fromUtf8(key)), QString::fromUtf8(text)) << key;
    EXPECT_EQ(tables.formatted(QStringLiteral("a.three"), 5), QStringLiteral("a.three"));
    EXPECT_TRUE(tables.hasText(QStringLiteral("a.two")));
    EXPECT_FALSE(tables.hasText(QStringLiteral("a.three")));
    EXPECT_EQ(Localization().text(QStringLiteral("menu.quit")), QStringLiteral("menu.quit"));
}

TEST(LocalizationTest, MalformedTablesAndValuesFallBackWithoutCrashing) {
    // A broken Japanese table: English answers.
    for (const QByteArray& broken : {QByteArray("{\"k\": \"壊れ"), QByteArray("[\"k\"]"), QByteArray(""),
                                     QByteArray("\xff\xfe\x00garbage", 10), QByteArray("42")}) {
        const Localization tables = Localization::fromJSON(R"({"k": "English"})", QStringLiteral("ja"), broken, kJapanese);
        EXPECT_EQ(tables.text(QStringLiteral("k")), QStringLiteral("English"));
        EXPECT_EQ(tables.language(), QStringLiteral("en"));
        EXPECT_FALSE(tables.problems().isEmpty());
    }
    // A broken English table: the key itself.
    const Localization brokenEnglish = Localization::fromJSON("{oops", QString(), {}, kEnglish);
    EXPECT_EQ(brokenEnglish.text(QStringLiteral("k")), QStringLiteral("k"));
    EXPECT_FALSE(brokenEnglish.problems().isEmpty());
    // Values that are not text are skipped; the rest of the table stays usable.
    const Localization mixed =
        Localization::fromJSON(R"({"good": "Fine", "number": 3, "list": ["x"], "nothing": null})", QString(), {}, kEnglish);
    EXPECT_EQ(mixed.text(QStringLiteral("good")), QStringLiteral("Fine"));
    EXPECT_EQ(mixed.text(QStringLiteral("number")), QStringLiteral("number"));
    EXPECT_EQ(mixed.problems().size(), 3);
}

TEST(LocalizationTest, DirectoryLoadingSurvivesMissingAndBrokenFiles) {
    const Localization nowhere = Localization::fromDirectory(QStringLiteral("/nonexistent/kestrine/strings"), kJapanese);
    EXPECT_EQ(nowhere.text(QStringLiteral("menu.quit")), QStringLiteral("menu.quit"));
    EXPECT_FALSE(nowhere.problems().isEmpty());

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    auto write = [&](const QString& name, const QByteArray& content) {
        QFile file(QDir(dir.path()).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    };
    write(QStringLiteral("en.json"), R"({"menu.quit": "Quit"})");
    write(QStringLiteral("ja.json"), "{ not json");
    const Localization broken = Localization::fromDirectory(dir.path(), kJapanese);
    EXPECT_EQ(broken.text(QStringLiteral("menu.quit")), QStringLiteral("Quit"));
    EXPECT_EQ(broken.language(), QStringLiteral("en"));

    write(QStringLiteral("ja.json"), R"({"menu.quit": "終了"})");
    EXPECT_EQ(Localization::fromDirectory(dir.path(), kJapanese).text(QStringLiteral("menu.quit")), QString::fromUtf8("終了"));
    // Without an English table a Japanese user still gets Japanese.
    QFile::remove(QDir(dir.path()).filePath(QStringLiteral("en.json")));
    const Localization onlyJapanese = Localization::fromDirectory(dir.path(), kJapanese);
    EXPECT_EQ(onlyJapanese.text(QStringLiteral("menu.quit")), QString::fromUtf8("終了"));
    EXPECT_EQ(onlyJapanese.text(QStringLiteral("menu.close")), QStringLiteral("menu.close"));
}

TEST(LocalizationTest, SubstitutionIsPositionalAndSinglePass) {
    const QStringList twelve = {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"};
    struct Row {
        const char* pattern;
        QStringList arguments;
        const char* result;
    };
    const Row rows[] = {
        {"%2 before %1", {"a", "b"}, "b before a"},
        {"%1 and %2", {"50%2", "x"}, "50%2 and x"},        // an argument is not expanded again
        {"%1 of %3, 100%", {"a"}, "a of %3, 100%"},       // missing arguments and a lone percent stay
        {"%0 %", {"a"}, "%0 %"},
        {"%12|%1", twelve, "12|1"},
    };
    for (const Row& r : rows) EXPECT_EQ(Localization::substitute(QString::fromUtf8(r.pattern), r.arguments), QString::fromUtf8(r.result)) << r.pattern;
}

TEST(LocalizationTest, SharedTablesAnswerTheStaticLookups) {
    Localization::setShared(Localization::fromJSON(R"({"x.count": "%1 things for %2"})", QString(), {}, kEnglish));
    EXPECT_EQ(Localization::tr(QStringLiteral("x.count")), QStringLiteral("%1 things for %2"));
    EXPECT_EQ(Localization::format(QStringLiteral("x.count"), 12000, QStringLiteral("you")), QStringLiteral("12,000 things for you"));
    EXPECT_EQ(Localization::tr(QStringLiteral("x.none")), QStringLiteral("x.none"));
    Localization::setShared(compiled(QLocale::system()));
}

}  // namespace
}  // namespace kestrine
