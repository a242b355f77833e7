#include "app/settings/PresetCardsView.h"

#include "app/AppModel.h"
#include "app/Localization.h"
#include "app/settings/AnimatedFlowLayout.h"
#include "app/settings/NewPresetCard.h"
#include "app/settings/PresetCard.h"
#include "app/style/PaletteLabel.h"
#include "app/style/SectionLabel.h"
#include "app/style/Typography.h"

#include <QMessageBox>
#include <QPushButton>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include <unordered_map>

namespace kestrine {

PresetCardsView::PresetCardsView(AppModel& model, QWidget* parent) : QWidget(parent), model_(model) {
    // The view keeps a composite's room around what it shows, so that nothing is cut off at its
    // edges, and its container counts it in its margins and spacing. The cards keep their own room
    // around their keys for shadows and focus rings; the flow's margins are what is left of the
    // view's room, and its spacing is the visible gap less the room of the two cards beside it.
    const QMargins room = PresetCardsView::room();
    const QMargins cards = cardRoom();
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    auto* titleRow = new QHBoxLayout;
    titleRow->setContentsMargins(room.left(), room.top(), room.right(), 0);
    titleRow->addWidget(new SectionLabel(QStringLiteral("presets.title"), this));
    titleRow->addStretch(1);
    column->addLayout(titleRow);
    column->addSpacing(int(columnSpacing) - room.top());

    flow_ = new QWidget(this);
    flow_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    flowLayout_ = new AnimatedFlowLayout(flowSpacing - cards.left() - cards.right(),
                                         flowLineSpacing - cards.top() - cards.bottom(), flow_);
    flowLayout_->setContentsMargins(room - cards);
    column->addWidget(flow_);
    column->addSpacing(int(columnSpacing) - room.bottom());

    auto* hintRow = new QHBoxLayout;
    hintRow->setContentsMargins(room.left(), 0, room.right(), room.bottom());
    auto* hint = new PaletteLabel(Localization::tr(QStringLiteral("presets.hint")), Typography::font(TextStyle::caption),
                                  Palette::Swatch::inkSoft, this);
    hint->setWrapping(true);
    hintRow->addWidget(hint);
    column->addLayout(hintRow);

    newCard_ = new NewPresetCard(flow_);
    connect(newCard_, &QAbstractButton::clicked, this, [this] {
        if (onEditor) onEditor(PresetEditorMode::create());
    });

    connect(&model_, &AppModel::changed, this, &PresetCardsView::rebuild);
    rebuild();
}

PresetCardsView::~PresetCardsView() {
    // An open alert goes first, while the state its answer would touch still exists.
    delete deleteAlert_.data();
}

QMargins PresetCardsView::room() {
    return KeySurface::containerRoom();
}

QMargins PresetCardsView::cardRoom() {
    // The new-preset card keeps the same room as the preset cards.
    return PresetCard::surfaceRoom();
}

QMessageBox* PresetCardsView::deleteAlert() const {
    return deleteAlert_.data();
}

PresetCard* PresetCardsView::makeCard(const Preset& preset, int index, bool active) {
    auto* card = new PresetCard(preset, index, active, flow_);
    // The callbacks read the card's preset when they run: it is kept up to date by rebuild().
    card->onSelect = [this, card] { model_.activate(card->preset()); };
    card->onEdit = [this, card] {
        if (onEditor) onEditor(PresetEditorMode::details(card->preset()));
    };
    card->onDelete = [this, card] { confirmDelete(card->preset()); };
    return card;
}

void PresetCardsView::rebuild() {
    std::unordered_map<std::string, PresetCard*> existing;
    for (PresetCard* card : cards_) existing.emplace(card->preset().id, card);

    const std::vector<Preset>& presets = model_.presets();
    std::vector<PresetCard*> next;
    next.reserve(presets.size());
    for (std::size_t i = 0; i < presets.size(); ++i) {
        const Preset& preset = presets[i];
        const bool active = preset.id == model_.activeID();
        const auto found = existing.find(preset.id);
        if (found != existing.end() && found->second) {
            found->second->setPreset(preset, int(i), active);
            next.push_back(found->second);
            found->second = nullptr;  // a repeated id gets a card of its own
        } else {
            next.push_back(makeCard(preset, int(i), active));
        }
    }
    // Cards of presets that are gone. They may be in the middle of handling the event that
    // removed them, so they go later.
    for (auto& [id, card] : existing) {
        if (!card) continue;
        card->hide();
        card->deleteLater();
    }

    std::vector<QWidget*> order(next.begin(), next.end());
    order.push_back(newCard_);
    for (std::size_t i = 0; i + 1 < order.size(); ++i) QWidget::setTabOrder(order[i], order[i + 1]);
    const bool wasShown = flow_->isVisible() && !cards_.empty();
    cards_ = std::move(next);
    if (flowLayout_->setWidgets(order) && wasShown) flowLayout_->animateNextPlacement();
}

void PresetCardsView::confirmDelete(const Preset& preset) {
    if (preset.isDefault || deleteAlert_) return;
    presetToDelete_ = preset;

    auto* alert = new QMessageBox(this);
    alert->setWindowModality(Qt::WindowModal);
    alert->setIcon(QMessageBox::Warning);
    const QString title = Localization::format(QStringLiteral("preset.delete.title"), QString::fromStdString(preset.name));
    alert->setWindowTitle(title);
    alert->setText(title);
    alert->setInformativeText(Localization::tr(QStringLiteral("preset.delete.message")));
    QPushButton* confirm =
        alert->addButton(Localization::tr(QStringLiteral("preset.delete.confirm")), QMessageBox::DestructiveRole);
    QPushButton* cancel = alert->addButton(Localization::tr(QStringLiteral("common.cancel")), QMessageBox::RejectRole);
    alert->setDefaultButton(cancel);
    alert->setEscapeButton(cancel);
    deleteAlert_ = alert;

    connect(alert, &QMessageBox::finished, this, [this, alert, confirm] {
        const bool confirmed = alert->clickedButton() == confirm;
        std::optional<Preset> doomed = std::move(presetToDelete_);
        presetToDelete_.reset();
        deleteAlert_ = nullptr;
        alert->deleteLater();
        if (confirmed && doomed) model_.deletePreset(*doomed);
    });
    alert->open();
}

}  // namespace kestrine
