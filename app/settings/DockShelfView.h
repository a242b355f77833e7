// The active preset's applications in Dock order, as a wrapping row of key tiles on a recessed
// well, with a last tile that opens the application picker. Tiles are reordered by drag and drop
// (onto a tile: before it; onto the add tile or the shelf's empty area: to the end), by their
// accessibility actions or the keyboard, and removed by their badge, menu or the Delete key.
// Every change goes to the model; the shelf follows the model, keeping its tiles by application
// id so that hover and focus survive and moved tiles glide to their new places.
#pragma once

#include "core/model/PresetApp.h"

#include <QWidget>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kestrine {

class AppModel;
class AddAppsTile;
class AnimatedFlowLayout;
class ShelfTile;
class PaletteLabel;

class DockShelfView : public QWidget {
    Q_OBJECT
public:
    static constexpr qreal corner = 18;
    static constexpr int padding = 20;
    static constexpr int columnSpacing = 14;
    static constexpr qreal flowSpacing = 14;
    static constexpr qreal flowLineSpacing = 14;
    static constexpr int emptyTextTopPadding = 6;

    explicit DockShelfView(AppModel& model, QWidget* parent = nullptr);

    // Opens the application picker (the add tile's action).
    std::function<void()> onAddApps;

    // The id of the preset shown (the active one), or none.
    const std::optional<std::string>& presetID() const { return presetID_; }
    const std::vector<ShelfTile*>& tiles() const { return tiles_; }
    AddAppsTile* addTile() const { return addTile_; }
    PaletteLabel* emptyLabel() const { return emptyLabel_; }
    QWidget* flow() const { return flow_; }
    AnimatedFlowLayout* flowLayout() const { return flowLayout_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void rebuild();
    // Whether `pos` lies outside every tile (and the add tile).
    bool isEmptyArea(const QPoint& pos) const;
    bool acceptsDrop(const QDropEvent* event) const;
    ShelfTile* makeTile(const PresetApp& app);
    void removeTile(ShelfTile* tile);

    AppModel& model_;
    std::optional<std::string> presetID_;
    PaletteLabel* emptyLabel_ = nullptr;
    QWidget* flow_ = nullptr;
    AnimatedFlowLayout* flowLayout_ = nullptr;
    AddAppsTile* addTile_ = nullptr;
    std::vector<ShelfTile*> tiles_;
};

}  // namespace kestrine
