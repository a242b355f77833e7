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

    // The side plate behind a face resting at `face`: the face's rectangle plus `depth` below.
    static QRectF plateRect(const QRectF& face, qreal depth);
    // Where the face is drawn: moved down by press × depth.
    static QRectF faceRect(const QRectF& restingFace, const Params& params);

    // Draws shadow, side plate, face, highlight and ring for a face whose resting place is
    // `restingFace`; returns the rectangle where the face (and so the content) now is.
    static QRectF paint(QPainter& painter, const QRectF& restingFace, const Params& params);
    // A key at rest in the palette's raised face and key-side colours, resolved now.
    static Params raised(qreal corner, qreal depth);
    // paint(), then `text` on one line centred on the face in ink; returns the face rectangle.
    static QRectF paintWithText(QPainter& painter, const QRectF& restingFace, const Params& params,
                                const QString& text, const QFont& font);

    // How many blurred shadows are cached (DropShadow's cache, shared with other shadows); a
    // plate's shadow is built once per size, corner, blur and colour.
    static int cachedShadowCount();
};

}  // namespace kestrine
