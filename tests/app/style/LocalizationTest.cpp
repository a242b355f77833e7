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

// Every localisation key the application uses.
const QStringList kKeys = {
    "app.name", "banner.dismiss", "common.cancel", "dock.line.file", "dock.line.gnome", "dock.line.plank",
    "editor.clear", "editor.create.note", "editor.fromDock",
    "editor.fromDock.help", "editor.inDock", "editor.name.placeholder", "editor.nameTaken", "editor.noResults",
    "editor.save", "editor.search", "editor.search.clear", "editor.selected", "editor.title.add",
    "editor.title.create", "editor.title.details", "error.cannotDeleteDefault", "error.dockRefused",
    "error.dockUnavailable", "error.dockWrite",
    "error.emptyName", "error.generic", "error.noBackup", "error.presetNotFound", "error.start", "footer.login",
    "footer.login.approval", "footer.login.open", "footer.login.unavailable", "footer.more", "hero.hotkey",
    "hero.tagline", "hotkey.change", "hotkey.error.inUse", "hotkey.error.needsModifier",
    "hotkey.error.startFailed", "hotkey.error.unsupported", "hotkey.recording", "hotkey.recording.help",
    "hotkey.reset", "hotkey.wayland.body", "hotkey.wayland.copy", "hotkey.wayland.gnomeAdd",
    "hotkey.wayland.gnomeName", "hotkey.wayland.gnomeRemove", "login.error.failed", "login.error.notBundle", "menu.close", "menu.quit", "menu.window",
    "mini.a11y.active", "mini.empty", "mini.hint", "more.quit.body", "more.quit.button", "more.quit.title",
    "more.recents.body", "more.recents.title", "more.restore.body", "more.restore.button", "more.restore.title",
    "preset.apps.one", "preset.apps.other", "preset.current", "preset.default.name", "preset.delete.confirm",
    "preset.delete.help", "preset.delete.message", "preset.delete.title", "preset.edit", "preset.new",
    "preset.new.sub", "presets.hint", "presets.title", "restore.alert.confirm", "restore.alert.message",
    "restore.alert.title", "shelf.active", "shelf.add", "shelf.empty", "shelf.hint", "shelf.moveEarlier",
    "shelf.moveLater", "shelf.remove",
};

// Keys whose text is a format, with the number of arguments it takes.
const std::map<QString, int> kFormats = {
    {"dock.line.plank", 1},   {"error.dockRefused", 1},  {"error.dockUnavailable", 1},
    {"editor.selected", 1},   {"error.generic", 1},      {"error.start", 1},
    {"hotkey.error.inUse", 1}, {"hotkey.error.startFailed", 1}, {"hotkey.wayland.body", 1}, {"login.error.failed", 1},
    {"mini.a11y.active", 1},  {"mini.hint", 1},          {"more.quit.body", 1},
    {"preset.apps.other", 1}, {"preset.delete.title", 1},
};

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

TEST(LocalizationTest, BothCompiledTablesHaveEveryKeyAndNothingElse) {
    const Localization english = compiled(kEnglish);
    const Localization japanese = compiled(kJapanese);
    EXPECT_TRUE(english.problems().isEmpty()) << english.problems().join('\n').toStdString();
    EXPECT_TRUE(japanese.problems().isEmpty()) << japanese.problems().join('\n').toStdString();
    ASSERT_EQ(japanese.language(), QStringLiteral("ja"));

    const std::set<QString> expected(kKeys.begin(), kKeys.end());
    for (const QString& language : {QStringLiteral("en"), QStringLiteral("ja")}) {
        const QStringList keys = japanese.keys(language);
        const std::set<QString> present(keys.begin(), keys.end());
        EXPECT_EQ(present, expected) << language.toStdString();
    }
    for (const QString& key : kKeys) {
        EXPECT_FALSE(english.text(key).trimmed().isEmpty()) << key.toStdString();
        EXPECT_NE(english.text(key), key) << key.toStdString();
    }
}

TEST(LocalizationTest, FormatsTakeTheirArgumentsInBothLanguages) {
    const Localization english = compiled(kEnglish);
    const Localization japanese = compiled(kJapanese);
    for (const QString& key : kKeys) {
        const auto format = kFormats.find(key);
        std::set<QString> wanted;
        if (format != kFormats.end())
            for (int i = 1; i <= format->second; ++i) wanted.insert(QStringLiteral("%%1").arg(i));
        EXPECT_EQ(placeholders(english.text(key)), wanted) << "en " << key.toStdString();
        EXPECT_EQ(placeholders(japanese.text(key)), wanted) << "ja " << key.toStdString();
    }
    EXPECT_EQ(english.formatted(QStringLiteral("preset.apps.other"), 0), QStringLiteral("0 apps"));
    EXPECT_EQ(english.formatted(QStringLiteral("preset.delete.title"), QStringLiteral("Work")),
              QString::fromUtf8("Delete “Work”?"));
}

TEST(LocalizationTest, JapaneseLocalePicksJapaneseAndOthersFallBackToEnglish) {
    EXPECT_EQ(compiled(kJapanese).text(QStringLiteral("common.cancel")), QString::fromUtf8("キャンセル"));
    EXPECT_EQ(compiled(kJapanese).language(), QStringLiteral("ja"));
    const Localization german = compiled(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(german.language(), QStringLiteral("en"));
    EXPECT_EQ(german.text(QStringLiteral("common.cancel")), QStringLiteral("Cancel"));
    // Numbers are still written the German way.
    EXPECT_EQ(german.formatted(QStringLiteral("preset.apps.other"), 1234), QStringLiteral("1.234 apps"));
    EXPECT_EQ(compiled(kEnglish).formatted(QStringLiteral("preset.apps.other"), 1234), QStringLiteral("1,234 apps"));
}

TEST(LocalizationTest, MissingKeysYieldTheKeyAndJapaneseGapsUseEnglish) {
    const Localization tables = Localization::fromJSON(R"({"a.one": "One", "a.two": "Two %1"})", QStringLiteral("ja"),
                                                       R"({"a.one": "イチ"})", kJapanese);
    EXPECT_EQ(tables.text(QStringLiteral("a.one")), QString::fromUtf8("イチ"));
    EXPECT_EQ(tables.text(QStringLiteral("a.two")), QStringLiteral("Two %1"));
    EXPECT_EQ(tables.text(QStringLiteral("a.three")), QStringLiteral("a.three"));
    EXPECT_EQ(tables.formatted(QStringLiteral("a.three"), 5), QStringLiteral("a.three"));
    EXPECT_TRUE(tables.hasText(QStringLiteral("a.two")));
    EXPECT_FALSE(tables.hasText(QStringLiteral("a.three")));

    const Localization none;
    EXPECT_EQ(none.text(QStringLiteral("menu.quit")), QStringLiteral("menu.quit"));
}

TEST(LocalizationTest, MalformedTablesFallBackWithoutCrashing) {
    const QByteArray english = R"({"k": "English"})";
    // A broken Japanese table: English answers.
    for (const QByteArray& broken : {QByteArray("{\"k\": \"壊れ"), QByteArray("[\"k\"]"), QByteArray(""),
                                     QByteArray("\xff\xfe\x00garbage", 10), QByteArray("42")}) {
        const Localization tables = Localization::fromJSON(english, QStringLiteral("ja"), broken, kJapanese);
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
    EXPECT_EQ(Localization::fromDirectory(dir.path(), kJapanese).text(QStringLiteral("menu.quit")),
              QString::fromUtf8("終了"));
    // Without an English table a Japanese user still gets Japanese.
    QFile::remove(QDir(dir.path()).filePath(QStringLiteral("en.json")));
    const Localization onlyJapanese = Localization::fromDirectory(dir.path(), kJapanese);
    EXPECT_EQ(onlyJapanese.text(QStringLiteral("menu.quit")), QString::fromUtf8("終了"));
    EXPECT_EQ(onlyJapanese.text(QStringLiteral("menu.close")), QStringLiteral("menu.close"));
}

TEST(LocalizationTest, SubstitutionIsPositionalAndSinglePass) {
    EXPECT_EQ(Localization::substitute(QStringLiteral("%2 before %1"), {"a", "b"}), QStringLiteral("b before a"));
    // An argument containing a placeholder is not expanded again.
    EXPECT_EQ(Localization::substitute(QStringLiteral("%1 and %2"), {"50%2", "x"}), QStringLiteral("50%2 and x"));
    // Missing arguments leave the placeholder; a lone percent sign stays.
    EXPECT_EQ(Localization::substitute(QStringLiteral("%1 of %3, 100%"), {"a"}), QStringLiteral("a of %3, 100%"));
    EXPECT_EQ(Localization::substitute(QStringLiteral("%0 %"), {"a"}), QStringLiteral("%0 %"));
    const QStringList twelve = {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"};
    EXPECT_EQ(Localization::substitute(QStringLiteral("%12|%1"), twelve), QStringLiteral("12|1"));
}

TEST(LocalizationTest, SharedTablesAnswerTheStaticLookups) {
    Localization::setShared(Localization::fromJSON(R"({"x.count": "%1 things for %2"})", QString(), {}, kEnglish));
    EXPECT_EQ(Localization::tr(QStringLiteral("x.count")), QStringLiteral("%1 things for %2"));
    EXPECT_EQ(Localization::format(QStringLiteral("x.count"), 12000, QStringLiteral("you")),
              QStringLiteral("12,000 things for you"));
    EXPECT_EQ(Localization::tr(QStringLiteral("x.none")), QStringLiteral("x.none"));
    Localization::setShared(compiled(QLocale::system()));
}

}  // namespace
}  // namespace kestrine
