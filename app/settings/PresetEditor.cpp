#include "app/settings/PresetEditor.h"

#include "app/AppModel.h"
#include "app/Localization.h"
#include "app/layout/WidgetRoom.h"
#include "app/settings/AppPickTile.h"
#include "app/settings/EmojiChip.h"
#include "app/style/KeyButton.h"
#include "app/style/KeySurface.h"
#include "app/style/KeySurfaceButton.h"
#include "app/style/Palette.h"
#include "app/style/PaletteLabel.h"
#include "app/style/Symbol.h"
#include "app/style/Typography.h"
#include "app/style/WellBackground.h"
#include "core/model/PresetStyle.h"
#include "core/support/Unicode.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QScrollArea>
#include <QScrollBar>
#include <QSet>
#include <QStyleOptionSlider>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace kestrine {

namespace editor_detail {

// A frameless text field on a transparent background, coloured from the palette when painted.
class PlainField : public QLineEdit {
public:
    explicit PlainField(QWidget* parent) : QLineEdit(parent) {
        setFrame(false);
        setAttribute(Qt::WA_MacShowFocusRect, false);
        syncColors();
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        syncColors();
        QLineEdit::paintEvent(event);
    }

private:
    void syncColors() {
        const QColor ink = Palette::ink();
        if (palette().color(QPalette::Text) == ink && palette().color(QPalette::Highlight) == Palette::accent()) return;
        QPalette p = palette();
        p.setColor(QPalette::Base, Qt::transparent);
        p.setColor(QPalette::Window, Qt::transparent);
        p.setColor(QPalette::Text, ink);
        p.setColor(QPalette::PlaceholderText, Palette::inkSoft());
        p.setColor(QPalette::Highlight, Palette::accent());
        p.setColor(QPalette::HighlightedText, Palette::onAccent());
        setPalette(p);
    }
};

// A recessed field: a well with an optional symbol at its left and the field's controls in a row.
class FieldWell : public QWidget {
public:
    static constexpr qreal leadingSymbolSize = 12;
    static constexpr int gap = 6;

    FieldWell(qreal corner, int horizontalPadding, std::optional<Symbol> leading, QWidget* parent)
        : QWidget(parent), corner_(corner), padding_(horizontalPadding), leading_(leading) {
        row_ = new QHBoxLayout(this);
        const int left = padding_ + (leading_ ? int(leadingSymbolSize) + gap : 0);
        row_->setContentsMargins(left, 0, padding_, 0);
        row_->setSpacing(gap);
    }
    QHBoxLayout* row() const { return row_; }
    qreal corner() const { return corner_; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        WellBackground::paint(painter, QRectF(rect()), corner_);
        if (leading_) {
            const QRectF box(padding_, 0, leadingSymbolSize, height());
            SymbolPainter::paint(painter, *leading_, box, leadingSymbolSize, Palette::inkSoft());
        }
    }

private:
    qreal corner_;
    int padding_;
    std::optional<Symbol> leading_;
    QHBoxLayout* row_;
};

// A borderless button showing one symbol in inkSoft.
class PlainSymbolButton : public QAbstractButton {
public:
    PlainSymbolButton(Symbol symbol, qreal size, QWidget* parent)
        : QAbstractButton(parent), symbol_(symbol), size_(size) {
        setFocusPolicy(Qt::TabFocus);
        setCursor(Qt::ArrowCursor);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    }
    QSize sizeHint() const override {
        const int side = int(std::ceil(size_)) + 6;
        return QSize(side, side);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QColor color = Palette::inkSoft();
        if (isDown()) color = Palette::ink();
        SymbolPainter::paint(painter, symbol_, QRectF(rect()), size_, color);
        if (hasFocus()) {
            painter.setPen(QPen(withOpacity(Palette::accent(), KeySurfaceButton::focusRingOpacity), 1.5));
            painter.setBrush(Qt::NoBrush);
            painter.drawEllipse(QRectF(rect()).adjusted(0.75, 0.75, -0.75, -0.75));
        }
    }
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            click();
            event->accept();
            return;
        }
        QAbstractButton::keyPressEvent(event);
    }

private:
    Symbol symbol_;
    qreal size_;
};

// The current emoji on a 48-point key.
class EmojiKey : public QWidget {
    Q_OBJECT
    // The room kept around the key for its shadow, inside the widget's geometry.
    Q_PROPERTY(QMargins room READ room)
public:
    static constexpr qreal side = 48;
    static constexpr qreal corner = 12;
    static constexpr qreal depth = 3;
    static constexpr qreal emojiSize = 26;

    explicit EmojiKey(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_TransparentForMouseEvents); }
    static QMargins room() { return KeySurface::shadowMargins().toMargins(); }
    void setEmoji(const QString& emoji) {
        if (emoji == emoji_) return;
        emoji_ = emoji;
        update();
    }
    const QString& emoji() const { return emoji_; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        const QMargins room = EmojiKey::room();
        KeySurface::paintWithText(painter, QRectF(room.left(), room.top(), side, side),
                                  KeySurface::key(corner, depth), emoji_, Typography::systemFont(emojiSize));
    }

private:
    QString emoji_;
};

// The small indeterminate progress indicator: eight spokes, the brightest one turning.
class BusyIndicator : public QWidget {
public:
    static constexpr int side = 16;
    static constexpr int spokes = 8;

    explicit BusyIndicator(QWidget* parent) : QWidget(parent) {
        setFixedSize(side, side);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        timer_.setInterval(1000 / spokes);
        connect(&timer_, &QTimer::timeout, this, [this] {
            step_ = (step_ + 1) % spokes;
            update();
        });
    }

protected:
    void showEvent(QShowEvent*) override { timer_.start(); }
    void hideEvent(QHideEvent*) override { timer_.stop(); }
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.translate(width() / 2.0, height() / 2.0);
        const qreal outer = side / 2.0 - 1, inner = outer * 0.45;
        for (int i = 0; i < spokes; ++i) {
            const int age = (step_ - i + spokes) % spokes;
            QPen pen(withOpacity(Palette::inkSoft(), 1.0 - 0.8 * age / (spokes - 1)), 1.8, Qt::SolidLine, Qt::RoundCap);
            painter.setPen(pen);
            const qreal angle = 2 * M_PI * i / spokes - M_PI / 2;
            painter.drawLine(QPointF(std::cos(angle) * inner, std::sin(angle) * inner),
                             QPointF(std::cos(angle) * outer, std::sin(angle) * outer));
        }
    }

private:
    QTimer timer_;
    int step_ = 0;
};

// A slim scroll bar laid over the picker's right edge: only its thumb is drawn.
class OverlayScrollBar : public QScrollBar {
public:
    static constexpr int thickness = 6;

    explicit OverlayScrollBar(QWidget* parent) : QScrollBar(Qt::Vertical, parent) {
        setStyleSheet(QStringLiteral(
            "QScrollBar:vertical{background:transparent;border:none;margin:0;width:%1px;}"
            "QScrollBar::handle:vertical{background:transparent;border:none;min-height:28px;}"
            "QScrollBar::add-line:vertical,QScrollBar::sub-line:vertical{height:0;border:none;background:none;}"
            "QScrollBar::add-page:vertical,QScrollBar::sub-page:vertical{background:none;}")
                          .arg(thickness));
        setAttribute(Qt::WA_Hover);
        setCursor(Qt::ArrowCursor);
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QStyleOptionSlider option;
        initStyleOption(&option);
        const QRect thumb = style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this);
        if (thumb.isEmpty()) return;
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        const bool active = isSliderDown() || underMouse();
        painter.setBrush(withOpacity(Palette::inkSoft(), active ? 0.7 : 0.45));
        const QRectF r = QRectF(thumb).adjusted(0.5, 0, -0.5, 0);
        painter.drawRoundedRect(r, r.width() / 2, r.width() / 2);
    }
};

// The scrolled content of the picker: the tiles, or the waiting or empty state.
class PickerGrid : public QWidget {
public:
    using QWidget::QWidget;
};

}  // namespace editor_detail

using namespace editor_detail;

namespace {

constexpr int nameRowSpacing = 12;
constexpr int nameFieldHeight = 38;
constexpr qreal nameFieldCorner = 10;
constexpr int nameFieldPadding = 12;
constexpr int chipSpacing = 4;
constexpr int searchRowSpacing = 6;
constexpr int searchFieldHeight = 30;
constexpr qreal searchFieldCorner = 9;
constexpr int searchFieldPadding = 10;
constexpr qreal clearSymbolSize = 12;
constexpr qreal pickerCorner = 18;
constexpr int pickerPadding = 14;
constexpr int pickerStateHeight = 120;
constexpr int columnMin = 92;
constexpr int columnMax = 104;
constexpr int columnSpacing = 10;
constexpr int rowSpacing = 12;
constexpr int cornerIndicatorPadding = 10;
constexpr int footerSpacing = 10;
constexpr int footerExtraTop = 2;
constexpr int overlayBarInset = 4;
// The sheet never gets closer than this to its window's edges.
constexpr int parentMargin = 20;

// The widget's visible size: its size hint less its room.
QSize visibleSize(const QWidget* widget) {
    return widget->sizeHint().shrunkBy(WidgetRoom::of(widget));
}

// Places a widget so that its visible part fills `visible`; its room reaches around it.
void placeVisible(QWidget* widget, const QRect& visible) {
    widget->setGeometry(visible.marginsAdded(WidgetRoom::of(widget)));
}

QString qstr(const std::string& s) {
    return QString::fromStdString(s);
}

}  // namespace

PresetEditor::PresetEditor(AppModel& model, PresetEditorMode mode, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), model_(model), mode_(std::move(mode)), modelGuard_(&model) {
    setWindowModality(Qt::WindowModal);
    setWindowTitle(Localization::tr(QString::fromLatin1(mode_.titleKey())));
    setObjectName(QStringLiteral("presetEditor"));

    // Opening: the state the sheet starts from.
    if (mode_.kind == PresetEditorMode::Kind::addApps) selection_ = activeAppIDs();
    if (mode_.kind == PresetEditorMode::Kind::details && mode_.preset) {
        const auto& emoji = mode_.preset->emoji;
        if (emoji && !emoji->empty()) picked_ = *emoji;
    }

    buildTitle();
    if (mode_.kind != PresetEditorMode::Kind::addApps) buildNameRows();
    if (picksApps()) buildPickerRows();
    buildFooter();

    if (mode_.kind == PresetEditorMode::Kind::details && mode_.preset)
        nameField_->setText(qstr(mode_.preset->name));  // runs nameChanged()

    connect(&model_, &AppModel::changed, this, &PresetEditor::modelChanged);
    if (picksApps()) model_.scanSession().start();
    modelChanged();
    nameChanged();

    if (mode_.kind == PresetEditorMode::Kind::details) {
        resize(detailsWidth, height());
        relayout();  // measures the content's height
        setFixedSize(detailsWidth, detailsHeight_);
    } else {
        setFixedSize(pickerWidth, pickerHeight);
    }
    // A hidden widget gets its resize event only when shown; lay out now for those who look first.
    relayout();
    if (nameField_) nameField_->setFocus(Qt::OtherFocusReason);
}

PresetEditor::~PresetEditor() {
    releaseScan();
}

bool PresetEditor::picksApps() const {
    return mode_.kind != PresetEditorMode::Kind::details;
}

// MARK: - Building

void PresetEditor::buildTitle() {
    title_ = new PaletteLabel(QString(), Typography::font(TextStyle::title3, QFont::DemiBold), Palette::Swatch::ink, this);
    title_->setObjectName(QStringLiteral("title"));
    title_->setText(windowTitle());
}

void PresetEditor::buildNameRows() {
    emojiKey_ = new EmojiKey(this);
    emojiKey_->setObjectName(QStringLiteral("emojiKey"));

    nameWell_ = new FieldWell(nameFieldCorner, nameFieldPadding, std::nullopt, this);
    nameField_ = new PlainField(nameWell_);
    nameField_->setObjectName(QStringLiteral("nameField"));
    nameField_->setFont(Typography::font(TextStyle::body, QFont::Medium));
    nameField_->setPlaceholderText(Localization::tr(QStringLiteral("editor.name.placeholder")));
    nameField_->setAccessibleName(nameField_->placeholderText());
    nameField_->installEventFilter(this);
    nameWell_->row()->addWidget(nameField_);
    connect(nameField_, &QLineEdit::textChanged, this, &PresetEditor::nameChanged);

    for (std::string_view choice : PresetStyle::emojiChoices) {
        auto* chip = new EmojiChip(qstr(std::string(choice)), this);
        chip->setObjectName(QStringLiteral("emojiChip"));
        connect(chip, &QAbstractButton::clicked, this, [this, choice] {
            picked_ = std::string(choice);
            refreshEmoji();
        });
        chips_.push_back(chip);
    }
}

void PresetEditor::buildPickerRows() {
    searchWell_ = new FieldWell(searchFieldCorner, searchFieldPadding, Symbol::magnifyingglass, this);
    searchField_ = new PlainField(searchWell_);
    searchField_->setObjectName(QStringLiteral("searchField"));
    searchField_->setFont(Typography::font(TextStyle::body));
    searchField_->setPlaceholderText(Localization::tr(QStringLiteral("editor.search")));
    searchField_->setAccessibleName(searchField_->placeholderText());
    searchField_->installEventFilter(this);
    searchClear_ = new PlainSymbolButton(Symbol::xmarkCircleFill, clearSymbolSize, searchWell_);
    searchClear_->setObjectName(QStringLiteral("searchClear"));
    searchClear_->setAccessibleName(Localization::tr(QStringLiteral("editor.search.clear")));
    searchClear_->setVisible(false);
    searchWell_->row()->addWidget(searchField_, 1);
    searchWell_->row()->addWidget(searchClear_);
    connect(searchField_, &QLineEdit::textChanged, this, &PresetEditor::queryChanged);
    connect(searchClear_, &QAbstractButton::clicked, this, [this] {
        searchField_->clear();
        searchField_->setFocus(Qt::OtherFocusReason);
    });

    fromDock_ = new KeyButton(Localization::tr(QStringLiteral("editor.fromDock")), KeyButton::Style{.compact = true}, this);
    fromDock_->setObjectName(QStringLiteral("fromDockButton"));
    fromDock_->setToolTip(Localization::tr(QStringLiteral("editor.fromDock.help")));
    connect(fromDock_, &QAbstractButton::clicked, this, [this] { setSelection(dockIDs()); });

    clear_ = new KeyButton(Localization::tr(QStringLiteral("editor.clear")), KeyButton::Style{.compact = true}, this);
    clear_->setObjectName(QStringLiteral("clearButton"));
    connect(clear_, &QAbstractButton::clicked, this, [this] { setSelection({}); });

    pickerWell_ = new WellBackground(pickerCorner, this);
    pickerWell_->setObjectName(QStringLiteral("picker"));
    scroll_ = new QScrollArea(pickerWell_);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->setWidgetResizable(false);
    scroll_->setAutoFillBackground(false);
    scroll_->viewport()->setAutoFillBackground(false);
    scroll_->setFocusPolicy(Qt::NoFocus);
    grid_ = new PickerGrid;
    grid_->setObjectName(QStringLiteral("pickerGrid"));
    scroll_->setWidget(grid_);
    grid_->setAutoFillBackground(false);  // setWidget() turned it on; the well shows through

    busy_ = new BusyIndicator(grid_);
    busy_->setObjectName(QStringLiteral("pickerProgress"));
    busy_->hide();
    noResults_ = new PaletteLabel(QString(), Typography::font(TextStyle::caption), Palette::Swatch::inkSoft, grid_);
    noResults_->setObjectName(QStringLiteral("noResults"));
    noResults_->setText(Localization::tr(QStringLiteral("editor.noResults")));
    noResults_->setAlignment(Qt::AlignCenter);
    noResults_->hide();

    overlayBar_ = new OverlayScrollBar(pickerWell_);
    overlayBar_->hide();
    QScrollBar* inner = scroll_->verticalScrollBar();
    connect(inner, &QScrollBar::rangeChanged, this, [this](int min, int max) {
        overlayBar_->setRange(min, max);
        overlayBar_->setPageStep(scroll_->verticalScrollBar()->pageStep());
        overlayBar_->setSingleStep(scroll_->verticalScrollBar()->singleStep());
        overlayBar_->setVisible(max > min);
    });
    connect(inner, &QScrollBar::valueChanged, overlayBar_, &QScrollBar::setValue);
    connect(overlayBar_, &QScrollBar::valueChanged, inner, &QScrollBar::setValue);

    cornerBusy_ = new BusyIndicator(pickerWell_);
    cornerBusy_->setObjectName(QStringLiteral("pickerCornerProgress"));
    cornerBusy_->hide();
}

void PresetEditor::buildFooter() {
    if (picksApps()) {
        count_ = new PaletteLabel(QString(), Typography::font(TextStyle::caption), Palette::Swatch::inkSoft, this);
        count_->setObjectName(QStringLiteral("selectedCount"));
    }
    note_ = new PaletteLabel(QString(), Typography::font(TextStyle::caption), Palette::Swatch::inkSoft, this);
    note_->setObjectName(QStringLiteral("footerNote"));
    note_->hide();

    cancel_ = new KeyButton(Localization::tr(QStringLiteral("common.cancel")), KeyButton::Style{}, this);
    cancel_->setObjectName(QStringLiteral("cancelButton"));
    connect(cancel_, &QAbstractButton::clicked, this, &QDialog::reject);

    save_ = new KeyButton(Localization::tr(QStringLiteral("editor.save")), KeyButton::Style{.prominent = true}, this);
    save_->setObjectName(QStringLiteral("saveButton"));
    connect(save_, &QAbstractButton::clicked, this, &PresetEditor::save);
}

// MARK: - Derived state

std::string PresetEditor::trimmedName() const {
    return nameField_ ? trimmed(nameField_->text().toStdString()) : std::string();
}

std::string PresetEditor::emoji() const {
    if (picked_) return *picked_;
    return PresetStyle::defaultEmoji(trimmedName());
}

bool PresetEditor::nameTaken() const {
    switch (mode_.kind) {
    case PresetEditorMode::Kind::addApps: return false;
    case PresetEditorMode::Kind::create: return model_.isNameTaken(trimmedName(), std::nullopt);
    case PresetEditorMode::Kind::details:
        return model_.isNameTaken(trimmedName(), mode_.preset ? std::optional(mode_.preset->id) : std::nullopt);
    }
    return false;
}

bool PresetEditor::canSave() const {
    if (mode_.kind == PresetEditorMode::Kind::addApps) return true;
    if (trimmedName().empty() || nameTaken()) return false;
    if (mode_.kind == PresetEditorMode::Kind::details) return true;
    return !selection_.empty();
}

std::set<std::string> PresetEditor::dockIDs() const {
    std::set<std::string> ids;
    for (const auto& app : model_.dockApps()) ids.insert(app.id);
    return ids;
}

std::vector<PresetApp> PresetEditor::filtered() const {
    std::vector<PresetApp> out;
    out.reserve(filteredIndexes_.size());
    for (int i : filteredIndexes_) out.push_back(candidates_[size_t(i)]);
    return out;
}

AppPickTile* PresetEditor::tileFor(const std::string& id) const {
    return tiles_.value(qstr(id), nullptr);
}

// MARK: - Actions

void PresetEditor::save() {
    if (finished_ || !canSave()) return;
    bool ok = true;
    switch (mode_.kind) {
    case PresetEditorMode::Kind::create: ok = model_.createPreset(trimmedName(), emoji(), selection_); break;
    case PresetEditorMode::Kind::addApps: model_.applySelection(selection_); break;
    case PresetEditorMode::Kind::details:
        ok = mode_.preset && model_.updatePreset(*mode_.preset, trimmedName(), emoji());
        break;
    }
    if (!ok) return;  // the model's error banner says why; the sheet keeps its contents
    finished_ = true;
    accept();
}

void PresetEditor::done(int result) {
    releaseScan();
    QDialog::done(result);
}

void PresetEditor::releaseScan() {
    if (released_) return;
    released_ = true;
    if (modelGuard_) model_.scanSession().release();
}

void PresetEditor::toggle(const std::string& id) {
    auto next = selection_;
    if (!next.erase(id)) next.insert(id);
    setSelection(std::move(next));
}

void PresetEditor::setSelection(std::set<std::string> selection) {
    selection_ = std::move(selection);
    refreshTileStates();
    refreshFooter();
    refreshSaveState();
}

// MARK: - Reactions

std::set<std::string> PresetEditor::activeAppIDs() {
    seededPresetID_ = model_.activeID();
    std::set<std::string> ids;
    if (auto active = model_.activePreset())
        for (const auto& app : active->apps) ids.insert(app.id);
    return ids;
}

void PresetEditor::modelChanged() {
    if (mode_.kind == PresetEditorMode::Kind::addApps && model_.activeID() != seededPresetID_) {
        // Another preset became active (from the key panel) while the sheet was open. Save edits
        // the active preset, so the ticks start again from its apps rather than overwrite them
        // with the apps of the preset the sheet was opened for.
        selection_ = activeAppIDs();
        refreshTileStates();
    }
    std::set<std::string> dock = dockIDs();
    const bool dockChanged = dock != dockIDs_;
    dockIDs_ = std::move(dock);
    if (picksApps()) {
        refreshCandidates();
        if (dockChanged) refreshTileStates();
        refreshPickerState();
    }
    refreshFooter();
    refreshSaveState();
}

void PresetEditor::nameChanged() {
    refreshEmoji();
    refreshFooter();
    refreshSaveState();
}

void PresetEditor::queryChanged() {
    query_ = searchField_->text();
    searchClear_->setVisible(!query_.isEmpty());  // only while there is something to clear
    refreshFilter();
}

void PresetEditor::refreshCandidates() {
    // Building the list sorts hundreds of names; most model changes leave its inputs alone.
    PickerInputs inputs{model_.installedApps(), model_.dockApps(), {}};
    if (auto active = model_.activePreset()) inputs.activeApps = std::move(active->apps);
    if (pickerInputs_ && *pickerInputs_ == inputs) return;
    pickerInputs_ = std::move(inputs);

    std::vector<PresetApp> next = model_.pickerApps();
    const bool same = std::equal(next.begin(), next.end(), candidates_.begin(), candidates_.end(),
                                 [](const PresetApp& a, const PresetApp& b) {
                                     return a.id == b.id && a.name == b.name && a.path == b.path;
                                 });
    if (same) return;
    candidates_ = std::move(next);

    // Tiles of apps that are no longer offered go; the others follow their app's new details.
    QHash<QString, AppPickTile*> kept;
    for (const auto& app : candidates_) {
        const QString id = qstr(app.id);
        if (AppPickTile* tile = tiles_.take(id)) {
            tile->setApp(app);
            kept.insert(id, tile);
        }
    }
    for (AppPickTile* stale : std::as_const(tiles_)) {
        stale->hide();
        stale->deleteLater();
    }
    tiles_ = std::move(kept);
    tabOrderStale_ = true;
    refreshFilter();
}

void PresetEditor::refreshFilter() {
    filteredIndexes_.clear();
    const std::string query = trimmed(query_.toStdString());
    for (size_t i = 0; i < candidates_.size(); ++i) {
        const auto& app = candidates_[i];
        if (query.empty() || containsIgnoringCase(app.name, query) || containsIgnoringCase(app.id, query))
            filteredIndexes_.push_back(int(i));
    }
    refreshPickerState();
    layoutPicker();
}

void PresetEditor::refreshTileStates() {
    for (AppPickTile* tile : std::as_const(tiles_)) {
        const std::string& id = tile->app().id;
        tile->setSelected(selection_.count(id) > 0);
        tile->setInDock(dockIDs_.count(id) > 0);
    }
}

void PresetEditor::refreshPickerState() {
    if (!pickerWell_) return;
    const bool scanning = model_.scanningApps();
    const bool empty = filteredIndexes_.empty();
    busy_->setVisible(scanning && empty);
    noResults_->setVisible(!scanning && empty);
    // While the centred indicator shows, it is the only one.
    cornerBusy_->setVisible(scanning && !empty);
}

void PresetEditor::refreshFooter() {
    if (count_) count_->setText(Localization::format(QStringLiteral("editor.selected"), int(selection_.size())));
    if (nameTaken()) {
        note_->setText(Localization::tr(QStringLiteral("editor.nameTaken")));
        note_->setSwatch(Palette::Swatch::danger);
        note_->show();
    } else if (mode_.kind == PresetEditorMode::Kind::create) {
        note_->setText(Localization::tr(QStringLiteral("editor.create.note")));
        note_->setSwatch(Palette::Swatch::inkSoft);
        note_->show();
    } else {
        note_->hide();
    }
    if (clear_) clear_->setEnabled(!selection_.empty());
    layoutFooter();
}

void PresetEditor::refreshSaveState() {
    save_->setEnabled(canSave());
}

void PresetEditor::refreshEmoji() {
    if (!emojiKey_) return;
    const QString current = qstr(emoji());
    emojiKey_->setEmoji(current);
    for (EmojiChip* chip : chips_) chip->setHighlighted(chip->emoji() == current);
}

// MARK: - Layout

void PresetEditor::relayout() {
    const int contentWidth = width() - 2 * padding;
    const int x = padding;
    int y = padding;

    const int titleHeight = title_->sizeHint().height();
    title_->setGeometry(x, y, contentWidth, titleHeight);
    y += titleHeight + spacing;

    if (nameWell_) {
        const int keyHeight = int(EmojiKey::side + EmojiKey::depth);
        const int rowHeight = std::max(keyHeight, nameFieldHeight);
        placeVisible(emojiKey_, QRect(x, y + (rowHeight - keyHeight) / 2, int(EmojiKey::side), keyHeight));
        const int fieldX = x + int(EmojiKey::side) + nameRowSpacing;
        nameWell_->setGeometry(fieldX, y + (rowHeight - nameFieldHeight) / 2, x + contentWidth - fieldX, nameFieldHeight);
        y += rowHeight + spacing;

        int chipX = x;
        for (EmojiChip* chip : chips_) {
            placeVisible(chip, QRect(chipX, y, int(EmojiChip::width), int(EmojiChip::height)));
            chipX += int(EmojiChip::width) + chipSpacing;
        }
        y += int(EmojiChip::height) + spacing;
    }

    const int footerHeight = this->footerHeight();
    if (searchWell_) {
        const QSize clearSize = visibleSize(clear_), dockSize = visibleSize(fromDock_);
        const int rowHeight = std::max({searchFieldHeight, clearSize.height(), dockSize.height()});
        int right = x + contentWidth;
        placeVisible(clear_, QRect(right - clearSize.width(), y + (rowHeight - clearSize.height()) / 2,
                                   clearSize.width(), clearSize.height()));
        right -= clearSize.width() + searchRowSpacing;
        placeVisible(fromDock_, QRect(right - dockSize.width(), y + (rowHeight - dockSize.height()) / 2,
                                      dockSize.width(), dockSize.height()));
        right -= dockSize.width() + searchRowSpacing;
        searchWell_->setGeometry(x, y + (rowHeight - searchFieldHeight) / 2, right - x, searchFieldHeight);
        y += rowHeight + spacing;

        const int footerTop = height() - padding - footerHeight;
        const int pickerBottom = footerTop - footerExtraTop - spacing;
        pickerWell_->setGeometry(x, y, contentWidth, std::max(0, pickerBottom - y));
        layoutPicker();
        y = footerTop;
    } else {
        y += footerExtraTop;
    }

    footerTop_ = y;
    detailsHeight_ = y + footerHeight + padding;
    layoutFooter();
}

int PresetEditor::footerHeight() const {
    int height = std::max(visibleSize(cancel_).height(), visibleSize(save_).height());
    height = std::max(height, note_->sizeHint().height());
    if (count_) height = std::max(height, count_->sizeHint().height());
    return height;
}

void PresetEditor::layoutFooter() {
    if (footerTop_ < 0) return;
    const int height = footerHeight();
    const int left = padding, right = width() - padding;
    const QSize saveSize = visibleSize(save_), cancelSize = visibleSize(cancel_);
    const QRect saveRect(right - saveSize.width(), footerTop_ + (height - saveSize.height()) / 2, saveSize.width(),
                         saveSize.height());
    placeVisible(save_, saveRect);
    const QRect cancelRect(saveRect.left() - footerSpacing - cancelSize.width(),
                           footerTop_ + (height - cancelSize.height()) / 2, cancelSize.width(), cancelSize.height());
    placeVisible(cancel_, cancelRect);

    int x = left;
    const int limit = cancelRect.left() - footerSpacing;
    for (PaletteLabel* label : {count_, note_}) {
        if (!label || label->isHidden()) continue;
        const QSize size = label->sizeHint();
        const int width = std::max(0, std::min(size.width(), limit - x));
        label->setGeometry(x, footerTop_ + (height - size.height()) / 2, width, size.height());
        x += width + footerSpacing;
    }
}

void PresetEditor::layoutPicker() {
    if (!pickerWell_ || pickerWell_->width() <= 0) return;
    const int wellWidth = pickerWell_->width(), wellHeight = pickerWell_->height();
    scroll_->setGeometry(0, 0, wellWidth, wellHeight);
    overlayBar_->setGeometry(wellWidth - overlayBarInset - OverlayScrollBar::thickness, pickerPadding,
                             OverlayScrollBar::thickness, std::max(0, wellHeight - 2 * pickerPadding));
    overlayBar_->raise();
    cornerBusy_->move(wellWidth - cornerIndicatorPadding - cornerBusy_->width(),
                      wellHeight - cornerIndicatorPadding - cornerBusy_->height());
    cornerBusy_->raise();

    const int width = wellWidth;
    const int available = std::max(0, width - 2 * pickerPadding);
    int contentHeight = 2 * pickerPadding + pickerStateHeight;

    QSet<AppPickTile*> shown;
    shown.reserve(qsizetype(filteredIndexes_.size()));
    if (!filteredIndexes_.empty()) {
        // Adaptive columns: as many as fit at the minimum width, widened up to the maximum.
        const int columns = std::max(1, (available + columnSpacing) / (columnMin + columnSpacing));
        const qreal columnWidth =
            std::min<qreal>(columnMax, qreal(available - (columns - 1) * columnSpacing) / columns);
        const qreal gridWidth = columns * columnWidth + (columns - 1) * columnSpacing;
        const qreal gridLeft = pickerPadding + (available - gridWidth) / 2;
        const int tileHeight = int(std::ceil(AppPickTile::visibleHeight()));
        bool created = false;
        for (size_t n = 0; n < filteredIndexes_.size(); ++n) {
            const PresetApp& app = candidates_[size_t(filteredIndexes_[n])];
            AppPickTile* tile = tileFor(app.id);
            if (!tile) {
                tile = makeTile(app);
                created = true;
            }
            const int column = int(n) % columns, row = int(n) / columns;
            const qreal left = gridLeft + column * (columnWidth + columnSpacing) + (columnWidth - AppPickTile::width) / 2;
            const int top = pickerPadding + row * (tileHeight + rowSpacing);
            placeVisible(tile, QRect(int(std::lround(left)), top, int(AppPickTile::width), tileHeight));
            shown.insert(tile);
        }
        const int rows = (int(filteredIndexes_.size()) + columns - 1) / columns;
        contentHeight = 2 * pickerPadding + rows * tileHeight + (rows - 1) * rowSpacing;
        if (created) tabOrderStale_ = true;
    }
    for (AppPickTile* tile : std::as_const(tiles_)) {
        const bool show = shown.contains(tile);
        if (show == tile->isHidden()) tile->setVisible(show);
    }

    const QRect stateBox(pickerPadding, pickerPadding, available, pickerStateHeight);
    busy_->move(stateBox.center() - QPoint(busy_->width() / 2, busy_->height() / 2));
    noResults_->setGeometry(stateBox);
    grid_->resize(width, contentHeight);
    if (tabOrderStale_) fixTabOrder();
}

AppPickTile* PresetEditor::makeTile(const PresetApp& app) {
    QPointer<AppModel> model = modelGuard_;
    auto* tile = new AppPickTile(app, [model](const PresetApp& a) { return model ? model->icons().icon(a) : QImage(); },
                                 grid_);
    tile->setObjectName(QStringLiteral("appTile"));
    const std::string id = app.id;
    tile->onToggle = [this, id] { toggle(id); };
    tile->setSelected(selection_.count(id) > 0);
    tile->setInDock(dockIDs_.count(id) > 0);
    tile->hide();
    tiles_.insert(qstr(id), tile);
    return tile;
}

void PresetEditor::fixTabOrder() {
    tabOrderStale_ = false;
    if (!clear_) return;
    QWidget* previous = clear_;
    for (const auto& app : candidates_) {
        if (AppPickTile* tile = tileFor(app.id)) {
            QWidget::setTabOrder(previous, tile);
            previous = tile;
        }
    }
    QWidget::setTabOrder(previous, cancel_);
    QWidget::setTabOrder(cancel_, save_);
}

void PresetEditor::fitToParent() {
    QWidget* host = parentWidget() ? parentWidget()->window() : nullptr;
    if (!host) return;
    const QRect area = host->geometry();
    if (picksApps()) {
        // A window smaller than the sheet gets a smaller sheet rather than one hanging outside.
        const QSize room = area.size() - QSize(2 * parentMargin, 2 * parentMargin);
        const QSize size(std::clamp(room.width(), 420, pickerWidth), std::clamp(room.height(), 420, pickerHeight));
        if (size != this->size()) setFixedSize(size);
    }
    const int x = area.x() + (area.width() - width()) / 2;
    const int y = area.y() + std::clamp((area.height() - height()) / 2, 0, 2 * parentMargin);
    move(x, y);
}

// MARK: - Events

void PresetEditor::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Palette::canvas());
    painter.setRenderHint(QPainter::Antialiasing);
    // A frameless sheet over a window of the same colour needs an edge.
    painter.setPen(QPen(Palette::hairline(), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
    for (auto [field, well] : {std::pair<QLineEdit*, FieldWell*>{nameField_, nameWell_}, {searchField_, searchWell_}}) {
        if (field && field->hasFocus() && well->isVisible())
            KeySurfaceButton::paintFocusRing(painter, QRectF(well->geometry()), well->corner());
    }
}

void PresetEditor::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    relayout();
}

void PresetEditor::showEvent(QShowEvent* event) {
    fitToParent();
    QDialog::showEvent(event);
    if (nameField_) nameField_->setFocus(Qt::OtherFocusReason);
}

void PresetEditor::keyPressEvent(QKeyEvent* event) {
    const auto modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && modifiers == Qt::NoModifier) {
        // Return anywhere that does not use it itself is the Save key.
        if (!event->isAutoRepeat()) save();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);  // Escape rejects
}

void PresetEditor::changeEvent(QEvent* event) {
    if (Palette::isAppearanceChange(event)) update();
    QDialog::changeEvent(event);
}

bool PresetEditor::eventFilter(QObject* watched, QEvent* event) {
    if ((event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) &&
        (watched == nameField_ || watched == searchField_))
        update();  // the focus ring around the field's well
    return QDialog::eventFilter(watched, event);
}

}  // namespace kestrine

#include "PresetEditor.moc"
