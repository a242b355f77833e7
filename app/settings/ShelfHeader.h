// The line above the Dock shelf: the active preset's emoji and name, a pencil button that edits
// the preset, and at the right end the "shelf.active" badge.
#pragma once

#include "core/model/Preset.h"

#include <QWidget>

#include <functional>

namespace kestrine {

class IconButton;
class PaletteLabel;

class ShelfHeader : public QWidget {
    Q_OBJECT
public:
    static constexpr int spacing = 10;
    static constexpr qreal emojiSize = 22;
    static constexpr int minimumGap = 8;  // the flexible space before the badge

    explicit ShelfHeader(QWidget* parent = nullptr);

    void setPreset(const Preset& preset);
    const Preset& preset() const { return preset_; }

    std::function<void()> onEdit;

    IconButton* editButton() const { return editButton_; }
    PaletteLabel* nameLabel() const { return name_; }
    QWidget* badge() const { return badge_; }

private:
    Preset preset_;
    PaletteLabel* emoji_ = nullptr;
    PaletteLabel* name_ = nullptr;
    IconButton* editButton_ = nullptr;
    QWidget* badge_ = nullptr;
};

}  // namespace kestrine
