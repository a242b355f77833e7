#pragma once

#include <QHash>
#include <QImage>
#include <QString>

#include <cstdint>
#include <list>

#include "core/model/PresetApp.h"

namespace kestrine {

/// Application icons rendered once into small bitmaps of exactly the size the views
/// draw (44 points at scale 2), kept in a bounded cache under the application id.
class IconStore {
public:
    static constexpr double iconPoints = 44;

    IconStore();

    /// The cached icon for `app.id`, or one rendered from `app.path` and cached.
    QImage icon(const PresetApp& app);
    /// Drops every cached icon.
    void clear();

    int count() const { return static_cast<int>(order_.size()); }
    std::int64_t totalCost() const { return totalCost_; }
    /// How many icons have been rendered (not served from the cache) so far.
    int renderCount() const { return renders_; }

    /// The icon of the application at `path`, drawn at side x side pixels: for a desktop entry
    /// (a ".desktop" file) the image its Icon names (an absolute path, or a name in the icon
    /// theme); for a bundle its CFBundleIconFile from Contents/Resources; when Qt cannot read
    /// that, the theme's generic application icon.
    static QImage render(const QString& path, int side);

private:
    void insert(const QString& id, QImage image);

    struct Entry {
        QImage image;
        std::list<QString>::iterator position;
    };
    QHash<QString, Entry> entries_;
    std::list<QString> order_; // least recently used first
    std::int64_t totalCost_ = 0;
    int renders_ = 0;
};

} // namespace kestrine
