#include "app/settings/ShortcutRow.h"

#include "app/HotKeyCenter.h"
#include "app/ShortcutText.h"
#include "app/Localization.h"
#include "app/ShortcutRecorder.h"
#include "app/settings/WaylandShortcutNote.h"
#include "app/layout/LayoutOverhang.h"
#include "app/style/KeyButton.h"
#include "app/style/KeyCap.h"
#include "app/style/KeySurface.h"
#include "app/style/OverhangBoxLayout.h"
#include "app/style/PaletteLabel.h"
#include "app/style/Typography.h"

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
        LayoutOverhang::set(this, KeySurface::shadowMargins().toMargins());
        setAccessibleName(text());
    }
    static QString text() { return Localization::tr("hotkey.recording"); }
    static QFont font() { return Typography::font(TextStyle::caption, QFont::Medium); }
    QSizeF faceSize() const {
        const QFontMetricsF fm(font());
        return QSizeF(std::ceil(fm.horizontalAdvance(text())) + 2 * 10, std::ceil(fm.height()) + 2 * 5);
    }
    QSize sizeHint() const override {
        const QMargins room = LayoutOverhang::of(this);
        const QSizeF face = faceSize();
        return QSize(int(std::ceil(face.width())) + room.left() + room.right(),
                     int(std::ceil(face.height() + depth)) + room.top() + room.bottom());
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        const QMargins room = LayoutOverhang::of(this);
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

ShortcutRow::ShortcutRow(HotKeyCenter& center, ShortcutRecorder& recorder, QWidget* parent)
    : QWidget(parent), center_(center), recorder_(recorder) {
    auto* column = new OverhangBoxLayout(Qt::Vertical, spacing, this);
    column->setPaddingAndRoom(this, QMargins());

    auto* row = new QWidget(this);
    auto* rowLayout = new OverhangBoxLayout(Qt::Horizontal, spacing, row);
    rowLayout->setPaddingAndRoom(row, QMargins());

    badge_ = new RecordingBadge(row);
    rowLayout->addWidget(badge_, {});

    capsBox_ = new QWidget(row);
    capsLayout_ = new OverhangBoxLayout(Qt::Horizontal, spacing, capsBox_);
    capsLayout_->setPaddingAndRoom(capsBox_, QMargins());
    rowLayout->addWidget(capsBox_, {});

    hotKeyLabel_ = new PaletteLabel(Localization::tr("hero.hotkey"), Typography::font(TextStyle::caption),
                                    Palette::Swatch::inkSoft, row);
    rowLayout->addWidget(hotKeyLabel_, OverhangBoxLayout::Options{OverhangBoxLayout::Cross::center, 4, false});

    const KeyButton::Style compact{.prominent = false, .compact = true, .active = false};
    change_ = new KeyButton(Localization::tr("hotkey.change"), compact, row);
    rowLayout->addWidget(change_, OverhangBoxLayout::Options{OverhangBoxLayout::Cross::center, 4, false});
    connect(change_, &QAbstractButton::clicked, this, [this] { recorder_.toggle(); });

    reset_ = new KeyButton(Localization::tr("hotkey.reset"), compact, row);
    rowLayout->addWidget(reset_, {});
    connect(reset_, &QAbstractButton::clicked, this, [this] { center_.update(HotKeySpec::defaultSpec()); });

    column->addWidget(row, {});

    unavailable_ = new PaletteLabel(Localization::tr("hotkey.unavailable.wayland"), Typography::font(TextStyle::caption),
                                    Palette::Swatch::inkSoft, this);
    unavailable_->setWrapping(true);
    column->addWidget(unavailable_, {});

    help_ = new PaletteLabel(Localization::tr("hotkey.recording.help"), Typography::font(TextStyle::caption),
                             Palette::Swatch::inkSoft, this);
    help_->setWrapping(true);
    column->addWidget(help_, {});

    message_ = new PaletteLabel(QString(), Typography::font(TextStyle::caption), Palette::Swatch::danger, this);
    message_->setWrapping(true);
    column->addWidget(message_, {});

    // On Wayland the desktop's own keyboard settings run the panel instead.
    const auto environment = WaylandShortcutNote::processEnvironment();
    if (WaylandShortcutNote::isWaylandSession(environment))
        column->addWidget(new WaylandShortcutNote(center_, environment, this), {});

    connect(&center_, &HotKeyCenter::changed, this, &ShortcutRow::refresh);
    connect(&recorder_, &ShortcutRecorder::changed, this, &ShortcutRow::refresh);
    refresh();
}

void ShortcutRow::rebuildCaps(const std::vector<std::string>& parts) {
    if (parts == shownParts_ && !caps_.empty()) return;
    for (KeyCap* cap : caps_) {
        capsLayout_->removeWidget(cap);
        delete cap;
    }
    caps_.clear();
    for (const std::string& part : parts) {
        auto* cap = new KeyCap(QString::fromStdString(part), keyCapSize, capsBox_);
        capsLayout_->addWidget(cap, {});
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
    unavailable_->setVisible(!recording && !center_.isAvailable());
    change_->setText(Localization::tr(recording ? "common.cancel" : "hotkey.change"));
    reset_->setVisible(!recording && !center_.isDefault());
    help_->setVisible(recording);

    std::optional<QString> message = recorder_.hint();
    if (!message) message = center_.errorMessage();
    message_->setText(message.value_or(QString()));
    message_->setVisible(message.has_value());
    updateGeometry();
}

}  // namespace kestrine
