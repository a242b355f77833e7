// The wrapping row layout: children left to right in their order, a new line whenever the next
// child would not fit in the offered width, like words in a paragraph. A pure function of the
// children's ideal sizes and the width; nothing is kept between measuring and placing.
#pragma once

#include <QRectF>
#include <QSizeF>

#include <optional>
#include <vector>

namespace kestrine {

struct FlowLayout {
    qreal spacing = 8;       // between neighbours on a line
    qreal lineSpacing = 8;   // between lines
    bool centered = false;   // centre each line horizontally instead of starting at the left

    struct Item {
        int index = 0;  // position among all children
        QSizeF size;    // the child's ideal size
        bool operator==(const Item&) const = default;
    };

    struct Row {
        std::vector<Item> items;
        qreal width = 0;   // the items' widths plus the spacing between them
        qreal height = 0;  // the tallest item
        bool operator==(const Row&) const = default;
    };

    // Line breaking. A child that fits exactly (equal width) joins the line; a child wider than
    // `maxWidth` gets a line of its own at its full width.
    std::vector<Row> rows(qreal maxWidth, const std::vector<QSizeF>& sizes) const;

    // The size wanted for an offered width (none or infinite = unlimited): the lines' heights plus
    // line spacing; the offered width when finite, else the widest line.
    QSizeF sizeThatFits(std::optional<qreal> proposedWidth, const std::vector<QSizeF>& sizes) const;

    // The rectangle of each child, in order, when the lines are broken at the width of `bounds`:
    // lines from the top, children aligned at their tops, each at its ideal size.
    std::vector<QRectF> placements(const QRectF& bounds, const std::vector<QSizeF>& sizes) const;
};

}  // namespace kestrine
