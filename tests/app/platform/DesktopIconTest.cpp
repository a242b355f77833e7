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
    std::ofstream(icons / name / "index.theme") << "[Icon Theme]\nName=" << name << "\n"
                                                << (inherits.empty() ? "" : "Inherits=" + inherits + "\n")
                                                << "Directories=48x48/apps\n\n[48x48/apps]\nSize=48\nType=Fixed\n";
}

fs::path writeEntry(const fs::path& folder, const std::string& id, const std::optional<std::string>& icon) {
    const fs::path file = folder / id;
    std::ofstream(file) << "[Desktop Entry]\nType=Application\nName=" << id << "\nExec=true\n"
                        << (icon ? "Icon=" + *icon + "\n" : "");
    return file;
}

class DesktopIconTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedPaths = QIcon::themeSearchPaths();
        savedTheme = QIcon::themeName();
        const fs::path icons = root.path() / "icons";
        writeTheme(icons, "hicolor", "");
        writeTheme(icons, "kestrine-user", "hicolor");
        writeImage(icons / "hicolor/48x48/apps/blue-app.png", Qt::blue);
        writeImage(icons / "hicolor/48x48/apps/both-app.png", Qt::blue);
        writeImage(icons / "kestrine-user/48x48/apps/both-app.png", Qt::green);
        writeImage(root.path() / "images/red.png", Qt::red);
        QIcon::setThemeSearchPaths({QString::fromStdString(icons.string())});
        QIcon::setThemeName("kestrine-user");
    }
    void TearDown() override {
        QIcon::setThemeSearchPaths(savedPaths);
        QIcon::setThemeName(savedTheme);
    }

    kestrine::testing::TempFolder root;
    QStringList savedPaths;
    QString savedTheme;
};

TEST_F(DesktopIconTest, TheEntrysIconComesFromItsPathOrTheThemeElseTheGenericIcon) {
    const QColor none; // invalid: anything but the three test colours
    struct Row {
        std::optional<std::string> icon;
        QColor expected;
    };
    const Row rows[] = {
        {(root.path() / "images/red.png").string(), Qt::red},
        {"blue-app", Qt::blue},      // only in hicolor: found through the user theme's parent
        {"blue-app.png", Qt::blue},  // a file name where a theme name belongs
        {"both-app", Qt::green},     // the user's theme before hicolor
        {"no-such-icon", none},
        {(root.path() / "images/missing.png").string(), none},
        {std::nullopt, none},
    };
    int index = 0;
    for (const auto& row : rows) {
        const fs::path entry = writeEntry(root.path(), "app" + std::to_string(index++) + ".desktop", row.icon);
        const QImage image = IconStore::render(QString::fromStdString(entry.string()), 64);
        ASSERT_FALSE(image.isNull());
        const QColor centre = image.pixelColor(32, 32);
        if (row.expected.isValid()) {
            EXPECT_EQ(centre.rgb(), row.expected.rgb()) << row.icon.value_or("(no Icon)");
        } else {
            for (QColor colour : {QColor(Qt::red), QColor(Qt::blue), QColor(Qt::green)})
                EXPECT_NE(centre.rgb(), colour.rgb()) << row.icon.value_or("(no Icon)");
        }
    }
}

} // namespace
