// The style's pieces: the palette's two appearances, the spring curves, the recessed well, the section
// caption, the string tables, the key surface, key caps and key buttons in each state and with mouse and keyboard.
#include "app/Localization.h"
#include "app/style/IconButton.h"
#include "app/style/KeyButton.h"
#include "app/style/KeyCap.h"
#include "app/style/KeySurface.h"
#include "app/style/KeyTileButton.h"
#include "app/style/Palette.h"
#include "app/style/ReduceMotion.h"
#include "app/style/SectionLabel.h"
#include "app/style/SpringCurve.h"
#include "app/style/WellBackground.h"
#include "tests/app/support/RenderSupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <set>

namespace kestrine {
namespace {

using testing::nearRGBA;
using testing::pixel;

const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);
const QLocale kJapanese(QLocale::Japanese, QLocale::Japan);

Localization compiled(const QLocale& locale) {
    return Localization::fromDirectory(QString::fromLatin1(Localization::compiledDirectory), locale);
}

TEST(LocalizationTest, BothCompiledTablesHaveTheSameKeysEachWithTextAndTheSameArguments) {
    const Localization english = compiled(kEnglish), japanese = compiled(kJapanese);
    EXPECT_TRUE(english.problems().isEmpty() && japanese.problems().isEmpty()) << (english.problems() + japanese.problems()).join('\n').toStdString();
    ASSERT_EQ(japanese.language(), QStringLiteral("ja"));
    const QStringList keys = japanese.keys(QStringLiteral("en")), localized = japanese.keys(QStringLiteral("ja"));
    EXPECT_GT(keys.size(), 80);
    EXPECT_EQ(std::set<QString>(keys.begin(), keys.end()), std::set<QString>(localized.begin(), localized.end()));
    auto placeholders = [](const QString& text) {
        std::set<QString> found;
        for (const auto& match : QRegularExpression(QStringLiteral("%[1-9]")).globalMatch(text)) found.insert(match.captured());
        return found;
    };
    for (const QString& key : keys) {
        EXPECT_FALSE(english.text(key).trimmed().isEmpty() || japanese.text(key).trimmed().isEmpty()) << key.toStdString();
        EXPECT_EQ(placeholders(english.text(key)), placeholders(japanese.text(key))) << key.toStdString();
    }
    EXPECT_EQ(english.formatted(QStringLiteral("preset.apps.other"), 0), QStringLiteral("0 apps"));
    EXPECT_EQ(english.formatted(QStringLiteral("preset.delete.title"), QStringLiteral("Work")), QString::fromUtf8("Delete “Work”?"));
}

TEST(LocalizationTest, TheLocalePicksTheLanguageAndGapsFallBackToEnglishThenTheKeyAlsoInTheSharedTables) {
    EXPECT_EQ(compiled(kJapanese).text(QStringLiteral("common.cancel")), QString::fromUtf8("キャンセル"));
    const Localization german = compiled(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(german.language(), QStringLiteral("en"));
    EXPECT_EQ(german.text(QStringLiteral("common.cancel")), QStringLiteral("Cancel"));
    // Numbers are still written the locale's way.
    EXPECT_EQ(german.formatted(QStringLiteral("preset.apps.other"), 1234), QStringLiteral("1.234 apps"));
    EXPECT_EQ(compiled(kEnglish).formatted(QStringLiteral("preset.apps.other"), 1234), QStringLiteral("1,234 apps"));
    const Localization tables = Localization::fromJSON(R"({"a.one": "One", "a.two": "Two %1"})", QStringLiteral("ja"), R"({"a.one": "イチ"})", kJapanese);
    for (auto [key, text] : {std::pair("a.one", "イチ"), std::pair("a.two", "Two %1"), std::pair("a.three", "a.three")})
        EXPECT_EQ(tables.text(QString::fromUtf8(key)), QString::fromUtf8(text)) << key;
    EXPECT_EQ(tables.formatted(QStringLiteral("a.three"), 5), QStringLiteral("a.three"));
    EXPECT_TRUE(tables.hasText(QStringLiteral("a.two")));
    EXPECT_FALSE(tables.hasText(QStringLiteral("a.three")));
    EXPECT_EQ(Localization().text(QStringLiteral("menu.quit")), QStringLiteral("menu.quit"));
    // The shared tables answer the static lookups.
    Localization::setShared(Localization::fromJSON(R"({"x.count": "%1 things for %2"})", QString(), {}, kEnglish));
    EXPECT_EQ(Localization::tr(QStringLiteral("x.count")), QStringLiteral("%1 things for %2"));
    EXPECT_EQ(Localization::format(QStringLiteral("x.count"), 12000, QStringLiteral("you")), QStringLiteral("12,000 things for you"));
    EXPECT_EQ(Localization::tr(QStringLiteral("x.none")), QStringLiteral("x.none"));
    Localization::setShared(compiled(QLocale::system()));
}

TEST(LocalizationTest, MalformedTablesValuesAndFilesFallBackWithoutCrashing) {
    // A broken Japanese table: English answers.
    for (const QByteArray& broken : {QByteArray("{\"k\": \"壊れ"), QByteArray("[\"k\"]"), QByteArray(""), QByteArray("\xff\xfe\x00garbage", 10), QByteArray("42")}) {
        const Localization tables = Localization::fromJSON(R"({"k": "English"})", QStringLiteral("ja"), broken, kJapanese);
        EXPECT_EQ(tables.text(QStringLiteral("k")) + tables.language(), QStringLiteral("Englishen"));
        EXPECT_FALSE(tables.problems().isEmpty());
    }
    // A broken English table: the key itself.
    const Localization brokenEnglish = Localization::fromJSON("{oops", QString(), {}, kEnglish);
    EXPECT_EQ(brokenEnglish.text(QStringLiteral("k")), QStringLiteral("k"));
    EXPECT_FALSE(brokenEnglish.problems().isEmpty());
    // Values that are not text are skipped; the rest of the table stays usable.
    const Localization mixed = Localization::fromJSON(R"({"good": "Fine", "number": 3, "list": ["x"], "nothing": null})", QString(), {}, kEnglish);
    EXPECT_EQ(mixed.text(QStringLiteral("good")) + mixed.text(QStringLiteral("number")), QStringLiteral("Finenumber"));
    EXPECT_EQ(mixed.problems().size(), 3);
    // Folders: missing, a broken Japanese file, a good one, no English file.
    const Localization nowhere = Localization::fromDirectory(QStringLiteral("/nonexistent/kestrine/strings"), kJapanese);
    EXPECT_EQ(nowhere.text(QStringLiteral("menu.quit")), QStringLiteral("menu.quit"));
    EXPECT_FALSE(nowhere.problems().isEmpty());
    QTemporaryDir dir;
    auto write = [&](const char* name, const QByteArray& content) {
        QFile file(QDir(dir.path()).filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    };
    auto quit = [&](const char* key = "menu.quit") { return Localization::fromDirectory(dir.path(), kJapanese).text(QString::fromLatin1(key)); };
    write("en.json", R"({"menu.quit": "Quit"})");
    write("ja.json", "{ not json");
    EXPECT_EQ(quit(), QStringLiteral("Quit"));
    EXPECT_EQ(Localization::fromDirectory(dir.path(), kJapanese).language(), QStringLiteral("en"));
    write("ja.json", R"({"menu.quit": "終了"})");
    EXPECT_EQ(quit(), QString::fromUtf8("終了"));
    // Without an English table a Japanese user still gets Japanese.
    QFile::remove(QDir(dir.path()).filePath(QStringLiteral("en.json")));
    EXPECT_EQ(quit(), QString::fromUtf8("終了"));
    EXPECT_EQ(quit("menu.close"), QStringLiteral("menu.close"));
}

TEST(LocalizationTest, SubstitutionIsPositionalAndSinglePass) {
    const QStringList twelve = {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l"};
    struct Row { const char* pattern; QStringList arguments; const char* result; };
    const Row rows[] = {
        {"%2 before %1", {"a", "b"}, "b before a"},
        {"%1 and %2", {"50%2", "x"}, "50%2 and x"},        // an argument is not expanded again
        {"%1 of %3, 100%", {"a"}, "a of %3, 100%"},       // missing arguments and a lone percent stay
        {"%0 %", {"a"}, "%0 %"},
        {"%12|%1", twelve, "l|a"},                        // two digits
    };
    for (const Row& r : rows) EXPECT_EQ(Localization::substitute(QString::fromUtf8(r.pattern), r.arguments), QString::fromUtf8(r.result)) << r.pattern;
}

TEST(PaletteTest, EverySwatchHasItsOwnNameAndADifferentDarkValue) {
    std::set<std::string> names;
    for (Palette::Swatch swatch : Palette::allSwatches()) {
        names.insert(Palette::name(swatch));
        EXPECT_NE(Palette::color(swatch, false).rgba(), Palette::color(swatch, true).rgba()) << Palette::name(swatch);
    }
    EXPECT_EQ(names.size(), size_t(Palette::swatchCount));
    EXPECT_NEAR(withOpacity(QColor(0, 0, 0, 128), 0.5).alphaF(), 0.25, 0.005);
}

// Brightness decides, not the red channel alone; an override (the tests' own) wins until cleared.
TEST(PaletteTest, AppearanceFollowsTheApplicationPaletteUnlessOverridden) {
    const QPalette original = QApplication::palette();
    struct Row { const char* name; QColor window, text; std::optional<bool> override; bool dark; };
    const Row rows[] = {
        {"dark", QColor(0x20, 0x20, 0x20), QColor(0xEE, 0xEE, 0xEE), {}, true},
        {"light", QColor(0xF0, 0xF0, 0xF0), QColor(0x10, 0x10, 0x10), {}, false},
        {"green text on dark blue", QColor(0x40, 0x00, 0x80), QColor(0x00, 0xC0, 0x00), {}, true},
        {"overridden light", QColor(0x40, 0x00, 0x80), QColor(0x00, 0xC0, 0x00), false, false},
        {"overridden dark", QColor(0xF0, 0xF0, 0xF0), QColor(0x10, 0x10, 0x10), true, true},
    };
    for (const Row& r : rows) {
        QPalette palette = original;
        palette.setColor(QPalette::Window, r.window);
        palette.setColor(QPalette::WindowText, r.text);
        QApplication::setPalette(palette);
        Palette::setDarkOverride(r.override);
        EXPECT_EQ(Palette::isDark(), r.dark) << r.name;
        EXPECT_EQ(Palette::canvas(), Palette::color(Palette::Swatch::canvas, r.dark)) << r.name;
    }
    Palette::setDarkOverride(std::nullopt);
    QApplication::setPalette(original);
}

TEST(WellBackgroundTest, InnerShadowDarkensTheTopEdgeOnly) {
    auto brightness = [](const QColor& c) { return c.red() + c.green() + c.blue(); };
    for (bool dark : {false, true}) {
        SCOPED_TRACE(dark);
        Palette::setDarkOverride(dark);
        WellBackground well(18);
        well.resize(200, 120);
        const QImage image = testing::renderWidget(well, 2);
        testing::savePNG(image, dark ? QStringLiteral("well-dark") : QStringLiteral("well-light"));
        const QColor inside = Palette::well();
        // Just inside the top edge (below the half-point hairline) the inner shadow darkens the well;
        // at the bottom edge there is only the hairline, one device pixel; the corner is left clear.
        EXPECT_TRUE(nearRGBA(pixel(image, 200, 120), inside));
        EXPECT_LT(brightness(pixel(image, 200, 1)), brightness(inside) - 10);
        EXPECT_TRUE(nearRGBA(pixel(image, 200, 238), inside));
        EXPECT_TRUE(nearRGBA(pixel(image, 200, 239), testing::over(Palette::hairline(), inside), 4));
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    }
    Palette::setDarkOverride(std::nullopt);
}

TEST(SectionLabelTest, ShowsTheKeysTextOrTheKeyInUpperCaseInInkSoft) {
    Localization::setShared(Localization::fromJSON(R"({"presets.title": "Presets"})", QString(), {}, QLocale(QLocale::English)));
    Palette::setDarkOverride(false);
    SectionLabel label(QStringLiteral("presets.title"));
    EXPECT_EQ(label.displayText(), QStringLiteral("PRESETS"));
    EXPECT_GT(testing::countNear(testing::renderWidget(label), Palette::inkSoft(), 12), 5);
    label.setKey(QStringLiteral("no.such.key"));
    EXPECT_EQ(label.displayText(), QStringLiteral("NO.SUCH.KEY"));
    Palette::setDarkOverride(std::nullopt);
    Localization::setShared(Localization::fromDirectory(QString::fromLatin1(Localization::compiledDirectory)));
}

// Starts at rest at 0, overshoots 1 by exactly the damped oscillator's first peak, settles at 1
// before the curve's end, and never leaves 0...1 outside the progress range.
TEST(SpringCurveTest, OvershootsByTheOscillatorsPeakAndSettlesAtOne) {
    const std::pair<qreal (*)(qreal), double> springs[] = {
        {&springProgress<0.24, 0.58, 460>, 0.58},  // presses
        {&springProgress<0.32, 0.82, 500>, 0.82},  // moves
        {&springProgress<0.35, 0.8, 500>, 0.8},    // the banner
    };
    for (const auto& [curve, zeta] : springs) {
        SCOPED_TRACE(zeta);
        for (auto [progress, value] : {std::pair(-1.0, 0.0), std::pair(0.0, 0.0), std::pair(1.0, 1.0), std::pair(2.0, 1.0)})
            EXPECT_EQ(curve(progress), value) << progress;
        EXPECT_LT(curve(0.001), 0.01) << "starts with a jump";
        double peak = 0;
        for (int i = 1; i < 4000; ++i) peak = std::max(peak, curve(i / 4000.0));
        EXPECT_NEAR(peak - 1, std::exp(-zeta * std::numbers::pi / std::sqrt(1 - zeta * zeta)), 1e-4);
        EXPECT_NEAR(curve(0.999), 1, 2e-3) << "not settled by the end";
    }
}

const QColor kFace(200, 40, 40);
const QColor kSide(30, 40, 200);
const QRectF kFaceRect(20, 20, 60, 40);  // depth 4: the plate ends at row 64

// A 60 × 40 face at (20, 20) with depth 4 and colours that cannot be confused.
QImage render(bool down, std::optional<QColor> ring = {}, QColor highlight = Qt::transparent) {
    const KeySurface::Params params{.corner = 8, .depth = 4, .press = down ? 1.0 : 0.0, .face = kFace, .side = kSide,
                                    .ring = ring, .highlight = highlight, .shadow = QColor(0, 0, 0, 128)};
    return testing::renderWith(QSize(100, 90), [&](QPainter& p) { KeySurface::paint(p, kFaceRect, params); });
}

TEST(KeySurfaceTest, PressedFaceSinksByExactlyItsDepthAndNeverLeavesItsPlate) {
    const QImage up = render(false), down = render(true);
    // At rest `depth` rows of side show below the face; pressed, above it. Nothing but the
    // shadow is drawn below the plate.
    for (int y = 19; y <= 64; ++y) {
        EXPECT_EQ(nearRGBA(pixel(up, 50, y), kFace), y >= 20 && y < 60) << "up, row " << y;
        EXPECT_EQ(nearRGBA(pixel(up, 50, y), kSide), y >= 60 && y < 64) << "up, row " << y;
        EXPECT_EQ(nearRGBA(pixel(down, 50, y), kFace), y >= 24 && y < 64) << "down, row " << y;
        EXPECT_EQ(nearRGBA(pixel(down, 50, y), kSide), y >= 20 && y < 24) << "down, row " << y;
    }
    // A partial press moves the face in proportion; a spring's overshoot never pushes it off.
    for (auto [press, top] : {std::pair(0.5, 22), std::pair(2.0, 24), std::pair(-1.0, 20)})
        EXPECT_EQ(KeySurface::faceRect(kFaceRect, {.corner = 0, .depth = 4, .press = press, .face = {}, .side = {}, .ring = {}, .highlight = {}, .shadow = {}}).top(), top) << press;
}

TEST(KeySurfaceTest, ShadowFallsDownTightensWhenPressedAndStaysInsideItsMargins) {
    const QImage up = render(false), down = render(true);
    const int upAlpha = qAlpha(up.pixel(50, 68));
    EXPECT_GT(upAlpha, 20);
    EXPECT_LE(qAlpha(down.pixel(50, 68)), 2);
    EXPECT_LT(qAlpha(up.pixel(50, 16)), upAlpha);
    EXPECT_GT(qAlpha(up.pixel(16, 45)), qAlpha(down.pixel(16, 45)));
    const QMarginsF margins = KeySurface::shadowMargins();
    const QRectF plate = KeySurface::plateRect(kFaceRect, 4);
    EXPECT_LE(qAlpha(up.pixel(50, int(plate.bottom() + margins.bottom() + 1))), 1);
    EXPECT_LE(qAlpha(up.pixel(int(plate.right() + margins.right() + 1), 45)), 1);
    EXPECT_LE(qAlpha(up.pixel(int(plate.left() - margins.left() - 2), 45)), 1);
}

TEST(KeySurfaceTest, RingAndHighlightAreDrawnInsideTheFaceEdge) {
    const QColor ring(20, 180, 60);
    const QImage ringed = render(false, ring), plain = render(false), lit = render(false, {}, QColor(255, 255, 255, 230));
    // The ring is 2 points wide, inside the face; the highlight brightens the top edge only.
    for (auto [image, x, y, colour] : {std::tuple(&ringed, 20, 40, ring), std::tuple(&ringed, 21, 40, ring), std::tuple(&ringed, 22, 40, kFace),
                                       std::tuple(&ringed, 79, 40, ring), std::tuple(&ringed, 50, 20, ring), std::tuple(&plain, 20, 40, kFace),
                                       std::tuple(&lit, 20, 50, kFace), std::tuple(&lit, 50, 59, kFace), std::tuple(&lit, 50, 22, kFace)})
        EXPECT_TRUE(nearRGBA(pixel(*image, x, y), colour)) << x << "," << y << " " << testing::describe(pixel(*image, x, y));
    const QColor top = pixel(lit, 50, 20);
    EXPECT_GT(top.red() + top.green() + top.blue(), kFace.red() + kFace.green() + kFace.blue() + 150);
}

class KeyButtonsTest : public ::testing::Test {
protected:
    void SetUp() override { ReduceMotion::setOverride(false), Palette::setDarkOverride(false); }
    void TearDown() override { ReduceMotion::setOverride(std::nullopt), Palette::setDarkOverride(std::nullopt); }
};

TEST_F(KeyButtonsTest, CapsAndButtonsWidenWithTheirTextAndSmallCapsShowOneAndAHalfPointsOfSide) {
    KeyButton button(QStringLiteral("Save"));
    const QSize small = button.sizeHint();
    button.setText(QStringLiteral("Restore Original Dock"));
    EXPECT_GT(button.sizeHint().width(), small.width());
    EXPECT_EQ(button.sizeHint().height(), small.height());

    const QSizeF digit = KeyCap::faceSize(QStringLiteral("1"), 12);
    EXPECT_NEAR(digit.height(), KeyCap::metrics(12).minSide, 1e-9);
    EXPECT_NEAR(digit.width(), digit.height() + 4, 1e-9);  // plus 2 points each side
    EXPECT_GT(KeyCap::faceSize(QStringLiteral("Space"), 12).width(), digit.width());
    for (auto [size, depth] : {std::pair(9.0, 1.5), std::pair(2.0, 1.5)}) EXPECT_DOUBLE_EQ(KeyCap::metrics(size).depth, depth);
    EXPECT_GT(KeyCap::metrics(12).depth, 1.5);
    KeyCap cap(QStringLiteral("1"), 4);
    const QImage image = testing::renderWidget(cap, 4);
    testing::savePNG(image, QStringLiteral("keycap-tiny"));
    const QRectF face = cap.restingFaceRect();
    int sideRows = 0;
    for (int y = int(face.bottom() * 4) - 2; y < image.height(); ++y) sideRows += nearRGBA(pixel(image, int(face.center().x() * 4), y), Palette::keySide(), 6);
    EXPECT_NEAR(sideRows, 1.5 * 4, 1);
}

TEST_F(KeyButtonsTest, APointerPressOnThePlateClicksAndSpringsTheTileDownAndBack) {
    KeyTileButton tile;
    tile.resize(tile.sizeHint());
    const QPoint centre = tile.restingFaceRect().center().toPoint();
    QSignalSpy clicked(&tile, &QAbstractButton::clicked);
    QVariantAnimation& press = tile.pressAnimation();
    QTest::mouseClick(&tile, Qt::LeftButton, Qt::NoModifier, QPoint(1, 1));  // in the shadow margin
    EXPECT_EQ(clicked.count(), 0);
    EXPECT_EQ(press.state(), QAbstractAnimation::Stopped);
    QTest::mousePress(&tile, Qt::LeftButton, Qt::NoModifier, centre);
    ASSERT_TRUE(tile.isDown());
    ASSERT_EQ(press.state(), QAbstractAnimation::Running);
    EXPECT_EQ(tile.pressProgress(), 0);  // the press starts from rest
    press.setCurrentTime(press.duration());
    QTest::mouseRelease(&tile, Qt::LeftButton, Qt::NoModifier, centre);
    EXPECT_EQ(clicked.count(), 1);
    press.setCurrentTime(press.duration());
    EXPECT_EQ(tile.pressProgress(), 0);
}

// How far the face has travelled some time into a press: tiles spring (response 0.24 s, damping
// 0.58: past the target within a response), key buttons ease out; with reduce motion tiles ease in
// and out over 0.12 s and key buttons go down at once.
TEST_F(KeyButtonsTest, PressesMoveTheFaceAlongTheirCurve) {
    struct Row { const char* name; bool tile, reduceMotion; int ms; double atLeast, atMost; };
    const Row rows[] = {
        {"tile springs past the target", true, false, 147, 1.05, 1.5},
        {"tile settles", true, false, 444, 0.99, 1.01},
        {"button eases out", false, false, 30, 0.6, 0.99},
        {"tile eases in and out", true, true, 60, 0.49, 0.51},
        {"tile arrives", true, true, 120, 1, 1},
        {"button goes down at once", false, true, 0, 1, 1},
    };
    for (const Row& r : rows) {
        ReduceMotion::setOverride(r.reduceMotion);
        std::unique_ptr<KeySurfaceButton> key(r.tile ? static_cast<KeySurfaceButton*>(new KeyTileButton) : new KeyButton(QStringLiteral("Go")));
        key->setDown(true);
        testing::renderWidget(*key);  // painting notices the new state
        if (key->pressAnimation().state() == QAbstractAnimation::Running) key->pressAnimation().setCurrentTime(r.ms);
        EXPECT_TRUE(key->pressProgress() >= r.atLeast && key->pressProgress() <= r.atMost) << r.name << ": " << key->pressProgress();
    }
}

TEST_F(KeyButtonsTest, ReturnAndSpaceActivateAFocusedButton) {
    QWidget window;
    const std::vector<QAbstractButton*> buttons{new KeyButton(QStringLiteral("One"), {}, &window), new KeyTileButton(40, 9, 3, &window),
                                                new IconButton(Symbol::xmark, 10, QFont::Bold, &window)};
    buttons[1]->move(0, 60);
    buttons[2]->move(0, 140);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QApplication::setActiveWindow(&window);
    for (QAbstractButton* button : buttons) {
        QSignalSpy clicked(button, &QAbstractButton::clicked);
        button->setFocus(Qt::TabFocusReason);
        QTest::keyClick(button, Qt::Key_Return);
        QTest::keyClick(button, Qt::Key_Space);
        QTest::keyClick(button, Qt::Key_Enter, Qt::KeypadModifier);
        // Return with a modifier is left to the window (a default-button shortcut); disabled ignores it.
        QTest::keyClick(button, Qt::Key_Return, Qt::ControlModifier);
        button->setEnabled(false);
        QTest::keyClick(button, Qt::Key_Return);
        EXPECT_EQ(clicked.count(), 3) << button->metaObject()->className();
    }
}

TEST_F(KeyButtonsTest, KeyboardFocusShowsARingAndClicksDoNotTakeFocus) {
    QWidget window;
    auto* button = new KeyButton(QStringLiteral("Change"), KeyButton::Style{.compact = true}, &window);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QApplication::setActiveWindow(&window);
    button->clearFocus();
    const QImage unfocused = testing::renderWidget(*button);
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, button->restingFaceRect().center().toPoint());
    EXPECT_FALSE(button->hasFocus());
    button->setFocus(Qt::TabFocusReason);
    const QImage focused = testing::renderWidget(*button);
    testing::savePNG(focused, QStringLiteral("keybutton-focused"));
    const QRectF face = button->restingFaceRect();
    // The ring runs 2 to 4 points outside the plate, in accent; right next to the plate is a gap.
    const int y = int(face.center().y());
    for (int x : {int(face.left() - KeySurfaceButton::focusRingGap - 2), int(face.right() + KeySurfaceButton::focusRingGap + 1)}) {
        const QColor ring = pixel(focused, x, y);
        EXPECT_GT(ring.alpha(), 140) << x;
        EXPECT_GT(ring.blue(), ring.red() + 40) << testing::describe(ring);
        EXPECT_LT(qAlpha(unfocused.pixel(x, y)), 60) << x;
    }
    EXPECT_LT(qAlpha(focused.pixel(int(face.left()) - 1, y)), 80);
}

// Every button style at rest, hovered, pressed and disabled in both appearances, each kept as a PNG
// for a person to look at: dark differs from light, pressing (and on tiles the pointer) shows, the
// face has its colour, and disabled fades the whole button as one layer.
TEST_F(KeyButtonsTest, EveryStyleShowsItsStatesInBothAppearances) {
    QPixmap iconPixmap(72, 72);
    iconPixmap.fill(QColor(0xE8, 0x6A, 0x3C));
    auto tile = [icon = QIcon(iconPixmap)](qreal side, qreal corner, qreal depth, int iconSide, bool ringed) {
        auto button = std::make_unique<KeyTileButton>(side, corner, depth);
        if (ringed) button->setRing(Palette::Swatch::accent);
        button->setIcon(icon);
        button->setIconSize(QSize(iconSide, iconSide));
        return button;
    };
    struct Subject { QString name; std::function<std::unique_ptr<QAbstractButton>()> make; std::optional<Palette::Swatch> face; };
    const Subject subjects[] = {
        {"key-button", [] { return std::make_unique<KeyButton>(QStringLiteral("Cancel")); }, Palette::Swatch::raised},
        {"key-button-prominent", [] { return std::make_unique<KeyButton>(QStringLiteral("Save"), KeyButton::Style{.prominent = true}); }, Palette::Swatch::accent},
        {"key-button-active", [] { return std::make_unique<KeyButton>(QStringLiteral("From Dock"), KeyButton::Style{.compact = true, .active = true}); }, {}},
        {"key-tile", [&] { return tile(60, 13, 3, 36, false); }, {}},
        {"key-tile-ring", [&] { return tile(76, 16, 4, 44, true); }, {}},
        {"icon-button", [] { return std::make_unique<IconButton>(Symbol::xmark, 10, QFont::Bold); }, {}},
    };
    const char* states[] = {"rest", "hovered", "pressed", "disabled"};
    for (const Subject& subject : subjects) {
        SCOPED_TRACE(subject.name.toStdString());
        QImage images[2][4];
        for (bool dark : {false, true}) {
            Palette::setDarkOverride(dark);
            for (int state = 0; state < 4; ++state) {
                std::unique_ptr<QAbstractButton> button = subject.make();
                auto* key = qobject_cast<KeySurfaceButton*>(button.get());
                if (state == 1 && key) key->setHovered(true);
                if (state == 2) button->setDown(true);
                if (state == 2 && key) key->setPressProgress(1);
                button->setEnabled(state != 3);
                QImage& image = images[dark][state];
                image = testing::renderWidget(*button, 2);
                testing::savePNG(image, subject.name + "-" + states[state] + (dark ? "-dark" : "-light"));
                if (state == 0 && subject.face) {
                    const QRectF face = key->restingFaceRect();
                    EXPECT_TRUE(nearRGBA(pixel(image, int(face.left() + 4) * 2, int(face.center().y()) * 2), Palette::color(*subject.face, dark)));
                }
            }
            EXPECT_NEAR(testing::maxAlpha(images[dark][3]), 0.45 * testing::maxAlpha(images[dark][0]), 2) << "disabled";
        }
        EXPECT_NE(images[0][0], images[1][0]) << "dark looks like light";
        EXPECT_NE(images[0][0], images[0][2]) << "pressing changes nothing";
        if (subject.name.startsWith(QStringLiteral("key-tile"))) {
            EXPECT_NE(images[0][0], images[0][1]) << "the pointer changes nothing";
        }
    }
}

// Counts paints, to see the appearance change reach the widget.
struct CountingKeyButton : KeyButton {
    using KeyButton::KeyButton;
    int paints = 0;
    void paintEvent(QPaintEvent* event) override {
        ++paints;
        KeyButton::paintEvent(event);
    }
};

TEST_F(KeyButtonsTest, AnApplicationPaletteChangeRepaintsInTheOtherAppearance) {
    Palette::setDarkOverride(std::nullopt);
    const QPalette original = QApplication::palette();
    auto setPalette = [&](QColor window, QColor text) {
        QPalette p = original;
        p.setColor(QPalette::Window, window);
        p.setColor(QPalette::WindowText, text);
        QApplication::setPalette(p);
    };
    setPalette(QColor(240, 240, 240), QColor(10, 10, 10));
    QWidget window;
    auto* button = new CountingKeyButton(QStringLiteral("Save"), {}, &window);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QCoreApplication::processEvents();
    // The colour of the face a few points in from its left edge, at mid-height, where no label is.
    auto face = [&] { return pixel(testing::renderWidget(*button), int(button->restingFaceRect().left() + 4), int(button->restingFaceRect().center().y())); };
    EXPECT_TRUE(nearRGBA(face(), Palette::color(Palette::Swatch::raised, false)));
    const int paintsBefore = button->paints;
    setPalette(QColor(30, 30, 30), QColor(230, 230, 230));
    // The change arrives through posted events; a few rounds of the event loop deliver the repaint.
    for (int round = 0; round < 10 && button->paints == paintsBefore; ++round) QCoreApplication::processEvents();
    EXPECT_GT(button->paints, paintsBefore);
    EXPECT_TRUE(nearRGBA(face(), Palette::color(Palette::Swatch::raised, true)));
    QApplication::setPalette(original);
}

}  // namespace
}  // namespace kestrine
