// Icons of desktop entries: the image the entry's Icon names, by absolute path or through the
// icon theme (the user's theme before hicolor), else the generic application icon.
#include <QIcon>
#include <QImage>

#include <gtest/gtest.h>

#include <fstream>

#include "app/IconStore.h"
#include "tests/core/support/TempFolder.h"

using namespace kestrine;
namespace fs = std::filesystem;

namespace {

void writeImage(const fs::path& file, QColor colour) {
    fs::create_directories(file.parent_path());
    QImage image(48, 48, QImage::Format_ARGB32);
    image.fill(colour);
    ASSERT_TRUE(image.save(QString::fromStdString(file.string())));
}

void writeTheme(const fs::path& icons, const std::string& name, const std::string& inherits) {
    fs::create_directories(icons / name / "48x48" / "apps");
    std::ofstream(icons / name / "index.theme") << "[Icon Theme]\nName=" << name << (inherits.empty() ? "" : "\nInherits=" + inherits)
                                                << "\nDirectories=48x48/apps\n\n[48x48/apps]\nSize=48\nType=Fixed\n";
}

TEST(DesktopIconTest, TheEntrysIconComesFromItsPathOrTheThemeElseTheGenericIcon) {
    const QStringList savedPaths = QIcon::themeSearchPaths();
    const QString savedTheme = QIcon::themeName();
    kestrine::testing::TempFolder root;
    const fs::path icons = root / "icons", red = root / "images/red.png";
    writeTheme(icons, "hicolor", "");
    writeTheme(icons, "kestrine-user", "hicolor");
    writeImage(icons / "hicolor/48x48/apps/blue-app.png", Qt::blue);
    writeImage(icons / "hicolor/48x48/apps/both-app.png", Qt::blue);
    writeImage(icons / "kestrine-user/48x48/apps/both-app.png", Qt::green);
    writeImage(red, Qt::red);
    QIcon::setThemeSearchPaths({QString::fromStdString(icons.string())});
    QIcon::setThemeName("kestrine-user");

    const std::pair<std::optional<std::string>, QColor> rows[] = {
        {red.string(), Qt::red},
        {"blue-app", Qt::blue},      // only in hicolor: found through the user theme's parent
        {"blue-app.png", Qt::blue},  // a file name where a theme name belongs
        {"both-app", Qt::green},     // the user's theme before hicolor
        {"no-such-icon", QColor()},  // invalid: anything but the three test colours
        {(root / "images/missing.png").string(), QColor()},
        {std::nullopt, QColor()},
    };
    int index = 0;
    for (const auto& [icon, expected] : rows) {
        SCOPED_TRACE(icon.value_or("(no Icon)"));
        const fs::path entry = root / ("app" + std::to_string(index++) + ".desktop");
        std::ofstream(entry) << "[Desktop Entry]\nType=Application\nName=App\nExec=true\n"
                             << (icon ? "Icon=" + *icon + "\n" : "");
        const QImage image = IconStore::render(QString::fromStdString(entry.string()), 64);
        EXPECT_FALSE(image.isNull());
        const QRgb centre = image.pixelColor(32, 32).rgb();
        if (expected.isValid()) {
            EXPECT_EQ(centre, expected.rgb());
        } else {
            for (QColor colour : {QColor(Qt::red), QColor(Qt::blue), QColor(Qt::green)}) EXPECT_NE(centre, colour.rgb());
        }
    }
    QIcon::setThemeSearchPaths(savedPaths);
    QIcon::setThemeName(savedTheme);
}

} // namespace
