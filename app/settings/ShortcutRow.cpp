#include "app/settings/ShortcutRow.h"

#include "app/HotKeyCenter.h"
#include "app/ShortcutText.h"
#include "app/Localization.h"
#include "app/ShortcutRecorder.h"
#include "app/settings/WaylandShortcutNote.h"
#include "app/style/KeyButton.h"
#include "app/style/KeyCap.h"
#include "app/style/KeySurface.h"
#include "app/style/PaletteLabel.h"
#include "app/style/Typography.h"

#include <QBoxLayout>
#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace kestrine {

namespace {

// "Press the new shortcut…" on a key surface ringed in accent, shown while recording.
class RecordingBadge : public QWidget {
public:
    static constexpr qreal corner = 8;
    static constexpr qreal depth = 2;

    explicit RecordingBadge(QWidget* parent) : QWidget(parent) {
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        setAccessibleName(text());
    }
    // The room kept around the key for its shadow, inside the widget: a key cap's.
    static QMargins room() { return KeyCap::room(); }
    static QString text() { return Localization::tr("hotkey.recording"); }
    static QFont font() { return Typography::font(TextStyle::caption, QFont::Medium); }
    QSizeF faceSize() const {
        const QFontMetricsF fm(font());
        return QSizeF(std::ceil(fm.horizontalAdvance(text())) + 2 * 10, std::ceil(fm.height()) + 2 * 5);
    }
    QSize sizeHint() const override {
        const QMargins room = RecordingBadge::room();
        const QSizeF face = faceSize();
        return QSize(int(std::ceil(face.width())) + room.left() + room.right(),
                     int(std::ceil(face.height() + depth)) + room.top() + room.bottom());
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        const QMargins room = RecordingBadge::room();
        KeySurface::Params params = KeySurface::key(corner, depth);
        params.ring = Palette::accent();
        KeySurface::paintWithText(painter, QRectF(QPointF(room.left(), room.top()), faceSize()), params, text(), font());
    }
    void changeEvent(QEvent* event) override {
        if (Palette::isAppearanceChange(event)) update();
        QWidget::changeEvent(event);
    }
};

}  // namespace

QMargins ShortcutRow::room() {
    return KeySurface::containerRoom();
}

ShortcutRow::ShortcutRow(HotKeyCenter& center, ShortcutRecorder& recorder, QWidget* parent)
    : QWidget(parent), center_(center), recorder_(recorder) {
    // The row keeps a composite's room around what it shows. Its parts keep their own rooms inside
    // it: the keys a key's, the texts none but their margins. The layouts' margins and gaps are net
    // of those rooms; where the shadows of neighbouring parts overlap, the gaps are below zero.
    const QMargins room = KeySurface::containerRoom();
    const QMargins key = KeyCap::room();
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(spacing);

    // Every part of the row keeps a key's room (the caps' box and the label too), so that the
    // parts line up across it by what they show.
    auto* row = new QWidget(this);
    auto* rowLayout = new QHBoxLayout(row);
    rowLayout->setContentsMargins(room - key);
    rowLayout->setSpacing(0);

    badge_ = new RecordingBadge(row);
    rowLayout->addWidget(badge_, 0, Qt::AlignTop);

    capsBox_ = new QWidget(row);
    capsLayout_ = new QHBoxLayout(capsBox_);
    capsLayout_->setContentsMargins(0, 0, 0, 0);
    capsLayout_->setSpacing(0);
    rowLayout->addWidget(capsBox_, 0, Qt::AlignTop);

    beforeLabel_ = new QSpacerItem(0, 0, QSizePolicy::Fixed, QSizePolicy::Minimum);
    rowLayout->addItem(beforeLabel_);
    hotKeyLabel_ = new PaletteLabel(Localization::tr("hero.hotkey"), Typography::font(TextStyle::caption),
                                    Palette::Swatch::inkSoft, row);
    hotKeyLabel_->setContentsMargins(0, key.top(), 0, key.bottom());
    rowLayout->addWidget(hotKeyLabel_, 0, Qt::AlignVCenter);

    const KeyButton::Style compact{.prominent = false, .compact = true, .active = false};
    beforeChange_ = new QSpacerItem(0, 0, QSizePolicy::Fixed, QSizePolicy::Minimum);
    rowLayout->addItem(beforeChange_);
    change_ = new KeyButton(Localization::tr("hotkey.change"), compact, row);
    rowLayout->addWidget(change_, 0, Qt::AlignVCenter);
    connect(change_, &QAbstractButton::clicked, this, [this] { recorder_.toggle(); });

    beforeReset_ = new QSpacerItem(0, 0, QSizePolicy::Fixed, QSizePolicy::Minimum);
    rowLayout->addItem(beforeReset_);
    reset_ = new KeyButton(Localization::tr("hotkey.reset"), compact, row);
    rowLayout->addWidget(reset_, 0, Qt::AlignTop);
    connect(reset_, &QAbstractButton::clicked, this, [this] { center_.update(HotKeySpec::defaultSpec()); });

    column->addWidget(row, 0, Qt::AlignLeft);
    belowRow_ = new QSpacerItem(0, 0, QSizePolicy::Minimum, QSizePolicy::Fixed);
    column->addItem(belowRow_);

    // The lines under the row have no room of their own; their margins give them the row's.
    const QMargins textInset(room.left(), 0, room.right(), 0);
    auto line = [&](PaletteLabel* label) {
        label->setWrapping(true);
        label->setContentsMargins(textInset);
        column->addWidget(label, 0, Qt::AlignLeft);
        return label;
    };
    unavailable_ = line(new PaletteLabel(Localization::tr("hotkey.unavailable.wayland"), Typography::font(TextStyle::caption),
                                         Palette::Swatch::inkSoft, this));
    help_ = line(new PaletteLabel(Localization::tr("hotkey.recording.help"), Typography::font(TextStyle::caption),
                                  Palette::Swatch::inkSoft, this));
    message_ = line(new PaletteLabel(QString(), Typography::font(TextStyle::caption), Palette::Swatch::danger, this));

    // On Wayland the desktop's own keyboard settings run the panel instead. The note keeps a
    // composite's room too.
    const auto environment = AppPaths::processEnvironment();
    if (WaylandShortcutNote::isWaylandSession(environment)) {
        note_ = new WaylandShortcutNote(center_, environment, this);
        column->addSpacing(-room.top());
        column->addWidget(note_, 0, Qt::AlignLeft);
    }
    end_ = new QSpacerItem(0, 0, QSizePolicy::Minimum, QSizePolicy::Fixed);
    column->addItem(end_);

    connect(&center_, &HotKeyCenter::changed, this, &ShortcutRow::refresh);
    connect(&recorder_, &ShortcutRecorder::changed, this, &ShortcutRow::refresh);
    refresh();
}

void ShortcutRow::rebuildCaps(const std::vector<std::string>& parts) {
    if (parts == shownParts_ && !caps_.empty()) return;
    while (QLayoutItem* item = capsLayout_->takeAt(0)) delete item;
    for (KeyCap* cap : caps_) delete cap;
    caps_.clear();
    const QMargins key = KeyCap::room();
    for (const std::string& part : parts) {
        auto* cap = new KeyCap(QString::fromStdString(part), keyCapSize, capsBox_);
        // The caps' shadows overlap: the gap between what they show is `spacing`.
        if (!caps_.empty()) capsLayout_->addSpacing(spacing - key.left() - key.right());
        capsLayout_->addWidget(cap, 0, Qt::AlignTop);
        // Children added after the row is on screen stay hidden until shown.
        cap->show();
        caps_.push_back(cap);
    }
    shownParts_ = parts;
    QStringList names;
    for (const std::string& part : parts) names << QString::fromStdString(part);
    capsBox_->setAccessibleName(names.join(QString()));
}

void ShortcutRow::refresh() {
    const bool recording = recorder_.isRecording();
    rebuildCaps(ShortcutText::parts(center_.spec()));

    badge_->setVisible(recording);
    capsBox_->setVisible(!recording);
    hotKeyLabel_->setVisible(!recording && center_.isAvailable());
    // Where the Wayland note stands it says why the shortcut cannot work, with what to do instead.
    unavailable_->setVisible(!recording && !center_.isAvailable() && !note_);
    change_->setText(Localization::tr(recording ? "common.cancel" : "hotkey.change"));
    reset_->setVisible(!recording && !center_.isDefault());
    help_->setVisible(recording);

    std::optional<QString> message = recorder_.hint();
    if (!message) message = center_.errorMessage();
    message_->setText(message.value_or(QString()));
    message_->setVisible(message.has_value());
    updateGaps();
    updateGeometry();
}

void ShortcutRow::updateGaps() {
    const QMargins room = KeySurface::containerRoom();
    const QMargins key = KeyCap::room();
    // In the row: the label and the Change button stand 4 further off than `spacing` from what
    // comes before them; the label keeps no room at the sides, the keys a key's.
    const bool label = !hotKeyLabel_->isHidden();
    beforeLabel_->changeSize(label ? spacing + 4 - key.right() : 0, 0, QSizePolicy::Fixed, QSizePolicy::Minimum);
    beforeChange_->changeSize(spacing + 4 - key.left() - (label ? 0 : key.right()), 0, QSizePolicy::Fixed,
                              QSizePolicy::Minimum);
    beforeReset_->changeSize(reset_->isHidden() ? 0 : spacing - key.left() - key.right(), 0, QSizePolicy::Fixed,
                             QSizePolicy::Minimum);
    // In the column: what comes under the row overlaps the row's room below it; when the last
    // thing shown is a line of text, the room below it is kept here.
    const bool lines = !unavailable_->isHidden() || !help_->isHidden() || !message_->isHidden();
    belowRow_->changeSize(0, lines || note_ ? -room.bottom() : 0, QSizePolicy::Minimum, QSizePolicy::Fixed);
    end_->changeSize(0, lines && !note_ ? room.bottom() : 0, QSizePolicy::Minimum, QSizePolicy::Fixed);
    for (QLayout* changed : {layout(), capsBox_->parentWidget()->layout()}) changed->invalidate();
}

}  // namespace kestrine
