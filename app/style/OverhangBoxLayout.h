// A row or a column that measures and places its widgets by what they show. A widget that keeps
// room around itself for a drop shadow or a focus ring (LayoutOverhang) is placed so that its
// visible part sits in its slot and the room spills outside, so spacing is measured between
// visible edges, as between keys whose shadows take no space.
//
// A row gives flexible widgets (wrapping text) the width left over, at most their ideal width,
// and what remains to its stretches. A column gives each widget its ideal width (at most the
// column's), or the full width when it fills, and asks wrapping widgets for their height at that
// width. Both report heightForWidth, so wrapping text inside them gets its full height.
#pragma once

#include <QLayout>
#include <QHash>
#include <QList>

#include <optional>

namespace kestrine {

class OverhangBoxLayout : public QLayout {
    Q_OBJECT
public:
    // Placement across the layout's direction.
    enum class Cross { leading, center, trailing, fill };

    struct Options {
        Cross cross = Cross::leading;
        // Extra space before the widget, on top of the spacing (a leading padding).
        int leading = 0;
        // Rows only: the widget may be narrower than its ideal width and takes what is left.
        bool flexible = false;
    };

    OverhangBoxLayout(Qt::Orientation orientation, int spacing, QWidget* parent = nullptr);
    ~OverhangBoxLayout() override;

    Qt::Orientation orientation() const { return orientation_; }

    void addWidget(QWidget* widget, const Options& options);
    using QLayout::addWidget;
    // Flexible empty space of at least `minimum`.
    void addStretch(int minimum = 0);

    // The room a composite keeps around its content so that the shadows and focus rings of the
    // keys inside are not cut off at its edges: enough for every key surface of the interface.
    static QMargins standardRoom();
    // Makes `owner` keep `room` around `padding`: the layout's margins become their sum, and the
    // owner declares `room` as its overhang, so that its own container places it by its padding.
    void setPaddingAndRoom(QWidget* owner, const QMargins& padding, const QMargins& room = standardRoom());

    // QLayout
    void addItem(QLayoutItem* item) override;
    int count() const override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    Qt::Orientations expandingDirections() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect& rect) override;
    void invalidate() override;

private:
    struct Entry {
        QLayoutItem* item = nullptr;
        Options options;
        bool stretch = false;
        int minimum = 0;  // stretches
    };
    struct Slot {
        const Entry* entry;
        QRect visible;  // in the layout's inner coordinates
    };

    QList<const Entry*> shownEntries() const;
    bool computeHasHeightForWidth() const;
    QSize computeSizeHint() const;
    QSize computeMinimumSize() const;
    // The visible size of an entry at its ideal width, and its visible height at a given width.
    QSize visibleHint(const Entry& entry) const;
    int visibleMinimumWidth(const Entry& entry) const;
    int visibleHeight(const Entry& entry, int visibleWidth) const;
    // The slots for an inner width; for rows the height is the tallest entry, for columns the
    // entries' heights are stacked and stretches share `innerHeight` beyond them (when given).
    QList<Slot> arrange(int innerWidth, int innerHeight, int* usedHeight) const;

    Qt::Orientation orientation_;
    QList<Entry> entries_;
    // Measurements until the next invalidate(): nested layouts ask their children again and again.
    mutable std::optional<QSize> sizeHintCache_;
    mutable std::optional<QSize> minimumSizeCache_;
    mutable std::optional<bool> heightForWidthCache_;
    mutable QHash<int, int> heightCache_;
};

}  // namespace kestrine
