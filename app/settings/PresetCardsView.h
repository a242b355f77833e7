// The settings window's list of presets: the "presets.title" caption, a wrapping flow of one card
// per preset in the model's order followed by the new-preset card, and the "presets.hint" line.
// Cards select, edit and (after a confirmation alert) delete their presets. The view follows the
// model: on every change it updates the cards it has, by preset id, so that hover and focus
// survive and moved cards glide to their new places.
#pragma once

#include "app/settings/PresetEditorMode.h"
#include "core/model/Preset.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

class QMessageBox;

namespace kestrine {

class AppModel;
class AnimatedFlowLayout;
class NewPresetCard;
class PresetCard;

class PresetCardsView : public QWidget {
    Q_OBJECT
    // The room kept around the visible content, inside the widget's geometry.
    Q_PROPERTY(QMargins room READ room)
public:
    static constexpr qreal columnSpacing = 14;
    static constexpr qreal flowSpacing = 16;
    static constexpr qreal flowLineSpacing = 18;

    explicit PresetCardsView(AppModel& model, QWidget* parent = nullptr);
    ~PresetCardsView() override;

    // Opens the preset editor: details of a preset from a card's menu, create from the new card.
    std::function<void(const PresetEditorMode&)> onEditor;

    // The cards, in the model's order, then the new-preset card.
    const std::vector<PresetCard*>& cards() const { return cards_; }
    NewPresetCard* newPresetCard() const { return newCard_; }
    QWidget* flow() const { return flow_; }
    AnimatedFlowLayout* flowLayout() const { return flowLayout_; }
    // The room the view keeps around its visible content: a composite's (KeySurface::containerRoom).
    static QMargins room();
    // The room each card keeps around its key (shadow and focus ring).
    static QMargins cardRoom();

    // Asks whether to delete `preset` (a window-modal alert); deletes it on confirmation.
    void confirmDelete(const Preset& preset);
    // The preset the open alert asks about, and the alert itself, while one is open.
    const std::optional<Preset>& presetToDelete() const { return presetToDelete_; }
    QMessageBox* deleteAlert() const;

private:
    void rebuild();
    PresetCard* makeCard(const Preset& preset, int index, bool active);

    AppModel& model_;
    QWidget* flow_ = nullptr;
    AnimatedFlowLayout* flowLayout_ = nullptr;
    NewPresetCard* newCard_ = nullptr;
    std::vector<PresetCard*> cards_;
    std::optional<Preset> presetToDelete_;
    QPointer<QMessageBox> deleteAlert_;
};

}  // namespace kestrine
