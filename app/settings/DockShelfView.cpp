#include "app/settings/DockShelfView.h"

#include "app/AppModel.h"
#include "app/Localization.h"
#include "app/settings/AddAppsTile.h"
#include "app/settings/AnimatedFlowLayout.h"
#include "app/settings/ShelfTile.h"
#include "app/settings/SwatchLabel.h"
#include "app/style/Palette.h"
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

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(padding, padding, padding, padding);
    column->setSpacing(columnSpacing);

    emptyLabel_ = new SwatchLabel(Localization::tr(QStringLiteral("shelf.empty")),
                                  Typography::font(TextStyle::callout), Palette::Swatch::inkSoft,
                                  SwatchLabel::Lines::wrap, this);
    emptyLabel_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    emptyLabel_->setContentsMargins(0, emptyTextTopPadding, 0, 0);
    emptyLabel_->hide();
    column->addWidget(emptyLabel_);

    flow_ = new QWidget(this);
    flow_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    flowLayout_ = new AnimatedFlowLayout(flowSpacing, flowLineSpacing, flow_);
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
        if (!tile) continue;
        tile->hide();
        tile->deleteLater();
    }

    emptyLabel_->setVisible(apps.empty());

    std::vector<QWidget*> order(next.begin(), next.end());
    order.push_back(addTile_);
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

// Drops that reach the shelf itself landed outside every tile: they move the application to the
// end. The shelf shows no highlight of its own.
void DockShelfView::dragEnterEvent(QDragEnterEvent* event) {
    if (ShelfTile::draggedID(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::MoveAction);
    event->accept();
}

void DockShelfView::dragMoveEvent(QDragMoveEvent* event) {
    if (ShelfTile::draggedID(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::MoveAction);
    event->accept();
}

void DockShelfView::dropEvent(QDropEvent* event) {
    const QString id = ShelfTile::draggedID(event->mimeData());
    if (id.isEmpty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::MoveAction);
    event->accept();
    model_.moveApp(id.toStdString(), std::optional<std::string>());
}

}  // namespace kestrine
