#include "app/settings/DockShelfView.h"

#include "app/AppModel.h"
#include "app/Localization.h"
#include "app/settings/AddAppsTile.h"
#include "app/settings/AnimatedFlowLayout.h"
#include "app/settings/ShelfTile.h"
#include "app/style/Palette.h"
#include "app/style/PaletteLabel.h"
#include "app/style/Typography.h"
#include "app/style/WellBackground.h"

#include <QDragEnterEvent>
#include <QEvent>
#include <QMimeData>
#include <QPainter>
#include <QVBoxLayout>

#include <unordered_map>

namespace kestrine {

DockShelfView::DockShelfView(AppModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    setAcceptDrops(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);

    // The tiles keep room around what they show (the drop bar, the remove badge, shadows) inside
    // their geometry. The column's margins give that room back, so that the visible tiles stand
    // `padding` from the well's edges, and the flow's spacing is the visible gap less the room
    // of the two tiles beside it.
    const QMargins room = ShelfTile::room();
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(padding - room.left(), padding - room.top(), padding - room.right(),
                               padding - room.bottom());
    column->setSpacing(columnSpacing - room.top());

    emptyLabel_ = new PaletteLabel(Localization::tr(QStringLiteral("shelf.empty")),
                                   Typography::font(TextStyle::callout), Palette::Swatch::inkSoft, this);
    emptyLabel_->setWrapping(true);
    emptyLabel_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    emptyLabel_->setContentsMargins(room.left(), room.top() + emptyTextTopPadding, room.right(), 0);
    emptyLabel_->hide();
    column->addWidget(emptyLabel_);

    flow_ = new QWidget(this);
    flow_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    flowLayout_ = new AnimatedFlowLayout(flowSpacing - room.left() - room.right(),
                                         flowLineSpacing - room.top() - room.bottom(), flow_);
    flowLayout_->setContentsMargins(0, 0, 0, 0);
    column->addWidget(flow_);

    addTile_ = new AddAppsTile(flow_);
    connect(addTile_, &QAbstractButton::clicked, this, [this] {
        if (onAddApps) onAddApps();
    });
    addTile_->onDrop = [this](const std::string& dragged) { model_.moveApp(dragged, std::optional<std::string>()); };

    connect(&model_, &AppModel::changed, this, &DockShelfView::rebuild);
    rebuild();
}

ShelfTile* DockShelfView::makeTile(const PresetApp& app) {
    auto* tile = new ShelfTile(app, model_.icons().icon(app), flow_);
    // The callbacks read the tile's application when they run: rebuild() keeps it current.
    tile->onRemove = [this, tile] { removeTile(tile); };
    tile->onMove = [this, tile](int offset) { model_.moveApp(tile->app().id, offset); };
    tile->onDropBefore = [this, tile](const std::string& dragged) {
        model_.moveApp(dragged, std::optional<std::string>(tile->app().id));
    };
    return tile;
}

void DockShelfView::removeTile(ShelfTile* tile) {
    // Keyboard focus moves on to the tile that takes the removed one's place.
    const bool hadFocus = tile->hasFocus();
    int index = -1;
    for (std::size_t i = 0; i < tiles_.size(); ++i)
        if (tiles_[i] == tile) index = int(i);
    model_.removeApp(tile->app().id);
    if (!hadFocus || index < 0) return;
    if (!tiles_.empty()) {
        tiles_[std::size_t(std::min(index, int(tiles_.size()) - 1))]->setFocus(Qt::TabFocusReason);
    } else {
        addTile_->setFocus(Qt::TabFocusReason);
    }
}

void DockShelfView::rebuild() {
    const std::optional<Preset> preset = model_.activePreset();
    presetID_ = preset ? std::optional<std::string>(preset->id) : std::nullopt;
    static const std::vector<PresetApp> none;
    const std::vector<PresetApp>& apps = preset ? preset->apps : none;

    std::unordered_map<std::string, ShelfTile*> existing;
    for (ShelfTile* tile : tiles_) existing.emplace(tile->app().id, tile);

    std::vector<ShelfTile*> next;
    next.reserve(apps.size());
    for (const PresetApp& app : apps) {
        const auto found = existing.find(app.id);
        ShelfTile* tile = nullptr;
        if (found != existing.end() && found->second) {
            tile = found->second;
            found->second = nullptr;
            tile->setApp(app, model_.icons().icon(app));
        } else {
            tile = makeTile(app);
        }
        next.push_back(tile);
    }
    for (std::size_t i = 0; i < next.size(); ++i) next[i]->setMoveLimits(i >= 1, i + 1 < next.size());
    // Tiles of applications that are gone may be handling the very event that removed them.
    for (auto& [id, tile] : existing) {
        if (tile) tile->retire();
    }

    emptyLabel_->setVisible(apps.empty());

    std::vector<QWidget*> order(next.begin(), next.end());
    order.push_back(addTile_);
    for (std::size_t i = 0; i + 1 < order.size(); ++i) QWidget::setTabOrder(order[i], order[i + 1]);
    const bool wasShown = flow_->isVisible() && !tiles_.empty();
    tiles_ = std::move(next);
    if (flowLayout_->setWidgets(order) && wasShown) flowLayout_->animateNextPlacement();
}

void DockShelfView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    WellBackground::paint(painter, QRectF(rect()), corner);
}

void DockShelfView::changeEvent(QEvent* event) {
    if (Palette::isAppearanceChange(event)) update();
    QWidget::changeEvent(event);
}

bool DockShelfView::isEmptyArea(const QPoint& pos) const {
    for (QWidget* w = childAt(pos); w && w != this; w = w->parentWidget())
        if (qobject_cast<ShelfTile*>(w) || qobject_cast<AddAppsTile*>(w)) return false;
    return true;
}

bool DockShelfView::acceptsDrop(const QDropEvent* event) const {
    return !ShelfTile::draggedID(event->mimeData()).isEmpty() && isEmptyArea(event->position().toPoint());
}

// The shelf takes drops that land outside every tile: they move the application to the end.
// Events a tile refused (a tile dropped on itself) come up to the shelf too; over a tile they are
// refused here as well. The shelf shows no highlight of its own.
void DockShelfView::dragEnterEvent(QDragEnterEvent* event) {
    ShelfTile::answerMove(event, acceptsDrop(event));
}

void DockShelfView::dragMoveEvent(QDragMoveEvent* event) {
    ShelfTile::answerMove(event, acceptsDrop(event));
}

void DockShelfView::dropEvent(QDropEvent* event) {
    if (!ShelfTile::answerMove(event, acceptsDrop(event))) return;
    model_.moveApp(ShelfTile::draggedID(event->mimeData()).toStdString(), std::optional<std::string>());
}

}  // namespace kestrine
