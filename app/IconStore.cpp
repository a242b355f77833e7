#include "app/IconStore.h"

#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QImageReader>
#include <QPainter>

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

constexpr const char* genericIconName = "application-x-executable";

// The generic icon of the Adwaita theme, read from its files in the icon search paths: the
// process's own theme (and so every other icon it draws) stays as the desktop set it.
QIcon adwaitaIcon() {
    QIcon icon;
    for (const QString& base : QIcon::themeSearchPaths()) {
        QDir theme(base + "/Adwaita");
        if (!theme.exists()) continue;
        for (const QString& size : theme.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            const QString file = theme.filePath(size + "/mimetypes/" + genericIconName + ".png");
            if (QFileInfo::exists(file)) icon.addFile(file);
        }
        if (!icon.isNull()) break;
    }
    return icon;
}

QImage genericIcon(int side) {
    QIcon icon = QIcon::fromTheme(genericIconName);
    if (icon.isNull()) icon = adwaitaIcon();
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
    if (!path.isEmpty() && QFileInfo::exists(path)) {
        const QString file = bundleIconFile(path);
        if (!file.isEmpty()) {
            QImageReader reader(file);
            // Multi-resolution files: take the largest image the file holds.
            QImage best;
            for (int i = 0; i < std::max(reader.imageCount(), 1); ++i) {
                if (i > 0 && !reader.jumpToImage(i)) break;
                QImage candidate = reader.read();
                if (!candidate.isNull() && candidate.width() > best.width()) best = candidate;
            }
            source = best;
        }
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
