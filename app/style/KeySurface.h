// The physical-key look: a face standing on a darker side plate, sinking onto it when pressed,
// with a soft top highlight, an optional ring and a drop shadow that tightens when the key is down.
#pragma once

#include "app/style/Palette.h"

#include <QColor>
#include <QMarginsF>
#include <QRectF>

#include <optional>

class QFont;
class QPainter;

namespace kestrine {

class KeySurface {
public:
    struct Params {
        qreal corner = 0;
        qreal depth = 0;
        // 0 = up, 1 = down; values between are a press under way.
        qreal press = 0;
        QColor face;
        QColor side;
        std::optional<QColor> ring;
        // The top highlight and the drop shadow; by default the palette's, for the current appearance.
        std::optional<QColor> highlight;
        std::optional<QColor> shadow;

        QColor highlightColor() const { return highlight.value_or(Palette::highlight()); }
        QColor shadowColor() const { return shadow.value_or(Palette::shadow()); }
        Params& setDown(bool down) {
            press = down ? 1 : 0;
            return *this;
        }
        bool isDown() const { return press >= 1; }
    };

    struct Shadow {
        qreal radius = 0;
        qreal offset = 0;  // downwards
    };

    static constexpr qreal highlightWidth = 1;
    static constexpr qreal ringWidth = 2;
    static constexpr Shadow restingShadow{6, 4};
    static constexpr Shadow pressedShadow{1.5, 0.5};

    // The drop shadow for a press progress (clamped to 0...1): 6 / 4 up, 1.5 / 0.5 down.
    static Shadow shadowFor(qreal press);
    // How far the resting shadow can reach outside the side plate, rounded up to whole points:
    // the room a widget keeps around its plate so the shadow is not cut off.
    static QMarginsF shadowMargins();

    // A soft shadow of a rounded rectangle moved down by `offset`: nested rounded rectangles up to
    // `blur` points larger, whose opacities add up towards the shape's edge.
    static void paintShadow(QPainter& painter, const QRectF& rect, qreal corner, qreal blur, qreal offset,
                            const QColor& color);
    // The room to keep around a shape for a shadow of `blur` moved down by `offset`, in whole points.
    static QMargins shadowRoom(qreal blur, qreal offset);
    // The room a composite keeps inside its edges around what it shows, so that the shadows and
    // focus rings of the keys in it are not cut off there: enough for every key surface of the
    // interface. A key's resting shadow reaches 8 sideways, 4 up and 12 down; the application
    // icon's 10, 6 and 14; focus rings 4. Rounded up with a little to spare.
    static QMargins containerRoom() { return QMargins(12, 8, 12, 16); }

    // The side plate behind a face resting at `face`: the face's rectangle plus `depth` below.
    static QRectF plateRect(const QRectF& face, qreal depth);
    // Where the face is drawn: moved down by press × depth.
    static QRectF faceRect(const QRectF& restingFace, const Params& params);

    // Draws shadow, side plate, face, highlight and ring for a face whose resting place is
    // `restingFace`; returns the rectangle where the face (and so the content) now is.
    static QRectF paint(QPainter& painter, const QRectF& restingFace, const Params& params);
    // A key of the palette, colours resolved now: face raised, blended towards raisedHover as
    // `hover` goes from 0 to 1 (the pointer over it), side keySide, and `ring` when given.
    static Params key(qreal corner, qreal depth, qreal hover = 0, std::optional<QColor> ring = std::nullopt);
    // paint(), then `text` on one line centred on the face in ink; returns the face rectangle.
    static QRectF paintWithText(QPainter& painter, const QRectF& restingFace, const Params& params,
                                const QString& text, const QFont& font);
};

}  // namespace kestrine
