// One key of the mini dock: the preset's emoji over its name, its digit in a small key cap at the
// top-left (first nine keys only), a check mark at the top-right when the preset is the active one.
// The key is a 108 × 68 cap standing 3 points deep, lighter under the pointer, ringed in the
// accent colour while it holds the keyboard selection.
#pragma once

#include "app/style/KeySurfaceButton.h"
#include "core/model/Preset.h"

#include <QString>

namespace kestrine {

class PresetKey : public KeySurfaceButton {
    Q_OBJECT
public:
    static constexpr qreal keyWidth = 108;
    static constexpr qreal keyHeight = 68;
    static constexpr qreal keyDepth = 3;
    static constexpr qreal corner = 14;
    static constexpr qreal labelSpacing = 4;
    static constexpr qreal labelPadding = 8;
    static constexpr qreal emojiSize = 24;
    static constexpr qreal digitCapSize = 9;
    static constexpr qreal digitInset = 6;
    static constexpr qreal checkSize = 14;
    static constexpr qreal checkInset = 7;
    // Keys past this index carry no digit.
    static constexpr int lastNumberedIndex = 8;

    PresetKey(const Preset& preset, int index, bool active, QWidget* parent = nullptr);

    const Preset& preset() const { return preset_; }
    int index() const { return index_; }
    bool isActivePreset() const { return active_; }
    // The digit shown in the top-left corner; empty from the tenth key on.
    QString digit() const;
    QString emoji() const { return emoji_; }

    bool isFocusedKey() const { return focused_; }
    void setFocusedKey(bool focused);

    static QFont nameFont();

signals:
    // The pointer entered (true) or left (false) the key.
    void hoverChanged(bool hovered);

protected:
    QSizeF faceSize() const override { return QSizeF(keyWidth, keyHeight); }
    KeySurface::Params surfaceParams() const override;
    void paintLabel(QPainter& painter, const QRectF& face) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    Preset preset_;
    QString emoji_;
    int index_;
    bool active_;
    bool focused_ = false;
};

}  // namespace kestrine
