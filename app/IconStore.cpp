#include "app/IconStore.h"

#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QImageReader>
#include <QPainter>

#include "app/platform/linux/DesktopEntries.h"
#include "core/plist/PlistCoding.h"
#include "core/scan/IconSizing.h"
#include "core/support/AtomicFile.h"

namespace kestrine {
namespace {

// The icon file named by the bundle's Info.plist, when there is one.
QString bundleIconFile(const QString& bundlePath) {
    const QString infoPath = bundlePath + "/Contents/Info.plist";
    QFileInfo info(infoPath);
    if (!info.isFile() || info.size() > 4 * 1024 * 1024) return {};
    try {
        auto dict = plist::parse(readFile(infoPath.toStdString()));
        const auto* name = dict.find("CFBundleIconFile");
        if (!name || !name->string() || name->string()->empty()) return {};
        QString file = QString::fromStdString(*name->string());
        if (file.contains('/')) return {};
        QString resources = bundlePath + "/Contents/Resources/";
        if (QFileInfo(file).suffix().isEmpty() && QFileInfo::exists(resources + file + ".icns")) file += ".icns";
        return resources + file;
    } catch (const std::exception&) {
        return {};
    }
}

// The largest image of a (possibly multi-resolution) image file.
QImage largestImage(const QString& file) {
    QImageReader reader(file);
    QImage best;
    for (int i = 0; i < std::max(reader.imageCount(), 1); ++i) {
        if (i > 0 && !reader.jumpToImage(i)) break;
        QImage candidate = reader.read();
        if (!candidate.isNull() && candidate.width() > best.width()) best = candidate;
    }
    return best;
}

constexpr const char* genericIconName = "application-x-executable";

// An icon of a named theme read from its files in the icon search paths, for when the process's
// own theme lacks it: the process's theme (and so every other icon it draws) stays as the
// desktop set it.
QIcon themeFolderIcon(const QString& themeName, const QString& name) {
    QIcon icon;
    for (const QString& base : QIcon::themeSearchPaths()) {
        QDir theme(base + "/" + themeName);
        if (!theme.exists()) continue;
        for (const QString& size : theme.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            QDir sized(theme.filePath(size));
            for (const QString& context : sized.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
                for (const char* suffix : {".png", ".svg"})
                    if (const QString file = sized.filePath(context + "/" + name + suffix); QFileInfo::exists(file))
                        icon.addFile(file);
        }
        if (!icon.isNull()) break;
    }
    return icon;
}

// The icon a desktop entry names: an absolute image path, or a name looked up in the user's
// icon theme, then Adwaita and hicolor, then the legacy pixmaps folder.
QImage desktopEntryIcon(const QString& desktopFile, int side) {
    const auto value = DesktopEntries::iconName(desktopFile.toStdString());
    if (!value) return {};
    const QString icon = QString::fromStdString(*value);
    if (QFileInfo(icon).isAbsolute()) return QFileInfo(icon).isFile() ? largestImage(icon) : QImage();
    QString name = icon;
    // Some entries give a file name ("app.png") where a theme name belongs.
    for (const char* suffix : {".png", ".svg", ".xpm"})
        if (name.endsWith(QLatin1String(suffix))) name.chop(4);
    QIcon themed = QIcon::fromTheme(name);
    for (const char* fallback : {"Adwaita", "hicolor"})
        if (themed.isNull()) themed = themeFolderIcon(fallback, name);
    if (!themed.isNull()) return themed.pixmap(QSize(side, side)).toImage();
    for (const char* suffix : {".png", ".svg", ".xpm"}) {
        const QString file = "/usr/share/pixmaps/" + name + suffix;
        if (QFileInfo::exists(file)) return largestImage(file);
    }
    return {};
}

QImage genericIcon(int side) {
    QIcon icon = QIcon::fromTheme(genericIconName);
    if (icon.isNull()) icon = themeFolderIcon("Adwaita", genericIconName);
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (!icon.isNull()) {
        icon.paint(&painter, QRect(0, 0, side, side));
    } else {
        // No icon theme at all: a plain rounded tile.
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0x9a, 0x94, 0x88));
        painter.drawRoundedRect(QRectF(side * 0.1, side * 0.1, side * 0.8, side * 0.8), side * 0.18, side * 0.18);
    }
    return image;
}

} // namespace

IconStore::IconStore() = default;

QImage IconStore::render(const QString& path, int side) {
    QImage source;
    if (!path.isEmpty() && QFileInfo(path).isFile() && path.endsWith(QLatin1String(".desktop"))) {
        source = desktopEntryIcon(path, side);
    } else if (!path.isEmpty() && QFileInfo::exists(path)) {
        // Multi-resolution files: take the largest image the file holds.
        if (const QString file = bundleIconFile(path); !file.isEmpty()) source = largestImage(file);
    }
    if (source.isNull()) return genericIcon(side);

    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.drawImage(QRectF(0, 0, side, side), source);
    return image;
}

QImage IconStore::icon(const PresetApp& app) {
    const QString id = QString::fromStdString(app.id);
    auto it = entries_.find(id);
    if (it != entries_.end()) {
        order_.splice(order_.end(), order_, it->position);
        return it->image;
    }
    const int side = static_cast<int>(IconSizing::pixelSide(iconPoints));
    QImage image = render(QString::fromStdString(app.path), side);
    image.setDevicePixelRatio(IconSizing::backingScale);
    ++renders_;
    insert(id, image);
    return image;
}

void IconStore::insert(const QString& id, QImage image) {
    const std::int64_t cost = IconSizing::cost(IconSizing::pixelSide(iconPoints));
    order_.push_back(id);
    entries_.insert(id, Entry{std::move(image), std::prev(order_.end())});
    totalCost_ += cost;
    while (!order_.empty() && (totalCost_ > IconSizing::costLimit ||
                               static_cast<std::int64_t>(order_.size()) > IconSizing::countLimit)) {
        entries_.remove(order_.front());
        order_.pop_front();
        totalCost_ -= cost;
    }
}

void IconStore::clear() {
    entries_.clear();
    order_.clear();
    totalCost_ = 0;
}

} // namespace kestrine
