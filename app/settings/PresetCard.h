// One preset as a large key: its emoji, name, number of applications, the "current" badge while
// it is the active preset, and the digit that chooses it in the quick-switch panel (first nine
// presets only). Clicking selects the preset; a context menu edits it or, unless it is the default
// preset, deletes it; so does a small close button shown while the pointer is over the card.
// From the keyboard: Return or Space selects, Delete asks to delete, Shift+F10 or the Menu key
// opens the context menu.
#pragma once

#include "app/style/KeySurfaceButton.h"
#include "core/model/Preset.h"

#include <functional>

class QMenu;
class QVariantAnimation;
class QGraphicsOpacityEffect;

namespace kestrine {

class IconButton;

class PresetCard : public KeySurfaceButton {
    Q_OBJECT
public:
    // Every preset card and the new-preset card have a face of this size, on a key of corner 14
    // and depth 4; the face lightens under the pointer and the active preset's card is ringed.
    static constexpr qreal cardWidth = 170;
    static constexpr qreal cardHeight = 108;
    static constexpr qreal corner = 14;
    static constexpr qreal depth = 4;
    static QSizeF cardSize() { return QSizeF(cardWidth, cardHeight); }

    static constexpr qreal padding = 14;
    static constexpr qreal emojiSize = 26;
    static constexpr qreal digitCapSize = 11;
    static constexpr int digitCount = 9;          // presets 0 to 8 show the digits 1 to 9
    static constexpr qreal deleteButtonInset = 8;  // from the face's top-right corner
    static constexpr qreal badgePaddingX = 7;
    static constexpr qreal badgePaddingY = 2;

    PresetCard(const Preset& preset, int index, bool active, QWidget* parent = nullptr);

    // The room a card keeps around its key for the shadow and the focus ring.
    static QMargins surfaceRoom();

    // Shows another state of the card's preset (or the preset moved to another place).
    void setPreset(const Preset& preset, int index, bool active);
    const Preset& preset() const { return preset_; }
    int index() const { return index_; }
    bool isActive() const { return active_; }
    bool isDeletable() const { return !preset_.isDefault; }

    std::function<void()> onSelect;
    std::function<void()> onEdit;
    std::function<void()> onDelete;

    // What the card shows once its hover animation has settled.
    bool showsCurrentBadge() const { return active_ && (!isHovered() || !isDeletable()); }
    bool showsDeleteButton() const { return isHovered() && isDeletable(); }
    IconButton* deleteButton() const { return deleteButton_; }
    // 0 at rest, 1 hovered; in between while the hover animates.
    qreal hoverProgress() const { return hover_; }

    // "preset.apps.one" for one application, else "preset.apps.other" with the number.
    static QString appCountText(std::size_t count);
    QString appCountText() const { return appCountText(preset_.apps.size()); }
    // "1" to "9" for the first nine presets, empty for the rest.
    static QString digitText(int index);
    QString digitText() const { return digitText(index_); }

    // A new context menu owned by `parent`: "preset.edit", then for presets other than the
    // default one a separator and "preset.delete.confirm".
    QMenu* makeContextMenu(QWidget* parent);
    // Pops the context menu up at `globalPos` (it deletes itself when closed).
    void openContextMenu(const QPoint& globalPos);

protected:
    QSizeF faceSize() const override { return cardSize(); }
    KeySurface::Params surfaceParams() const override;
    void paintLabel(QPainter& painter, const QRectF& face) override;

    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void followHover();
    void setHoverProgress(qreal value);
    void placeDeleteButton();

    Preset preset_;
    int index_ = 0;
    bool active_ = false;
    qreal hover_ = 0;
    IconButton* deleteButton_ = nullptr;
    QGraphicsOpacityEffect* deleteOpacity_ = nullptr;
    QVariantAnimation* hoverAnimation_ = nullptr;
};

}  // namespace kestrine
