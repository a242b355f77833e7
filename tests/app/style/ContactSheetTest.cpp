// Every style in every state, light and dark, drawn side by side into one picture for a person to
// look at (contact-sheet.png in the render folder), with the properties every cell must have.
#include "app/style/IconButton.h"
#include "app/style/KeyButton.h"
#include "app/style/KeyCap.h"
#include "app/style/KeyTileButton.h"
#include "app/style/Palette.h"
#include "app/style/ReduceMotion.h"
#include "app/style/SectionLabel.h"
#include "app/style/WellBackground.h"
#include "tests/app/style/RenderSupport.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace kestrine {
namespace {

enum class State { rest, hovered, pressed, disabled };
const State kStates[] = {State::rest, State::hovered, State::pressed, State::disabled};

const char* stateName(State state) {
    switch (state) {
    case State::rest: return "rest";
    case State::hovered: return "hovered";
    case State::pressed: return "pressed";
    case State::disabled: return "disabled";
    }
    return "";
}

struct Subject {
    QString name;
    std::function<std::unique_ptr<QAbstractButton>()> make;
};

QIcon sampleIcon() {
    QPixmap pixmap(72, 72);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(0xE8, 0x6A, 0x3C));
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(4, 4, 64, 64), 14, 14);
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(22, 22, 28, 28));
    return QIcon(pixmap);
}

std::vector<Subject> subjects() {
    return {
        {"key-button", [] { return std::make_unique<KeyButton>(QStringLiteral("Cancel")); }},
        {"key-button-prominent",
         [] { return std::make_unique<KeyButton>(QStringLiteral("Save"), KeyButtonStyle{.prominent = true}); }},
        {"key-button-compact",
         [] { return std::make_unique<KeyButton>(QStringLiteral("Change"), KeyButtonStyle{.compact = true}); }},
        {"key-button-active", [] {
             return std::make_unique<KeyButton>(QStringLiteral("From Dock"), KeyButtonStyle{.compact = true, .active = true});
         }},
        {"key-tile", [] {
             auto tile = std::make_unique<KeyTileButton>(KeyTileStyle::square(60, 13, 3));
             tile->setIcon(sampleIcon());
             tile->setIconSize(QSize(36, 36));
             return tile;
         }},
        {"key-tile-ring", [] {
             KeyTileStyle style = KeyTileStyle::square(76, 16, 4);
             style.ring = Palette::Swatch::accent;
             auto tile = std::make_unique<KeyTileButton>(style);
             tile->setIcon(sampleIcon());
             tile->setIconSize(QSize(44, 44));
             return tile;
         }},
        {"icon-button", [] { return std::make_unique<IconButton>(Symbol::xmark, 10, QFont::Bold); }},
    };
}

QImage renderState(const Subject& subject, State state) {
    std::unique_ptr<QAbstractButton> button = subject.make();
    if (state == State::hovered) {
        if (auto* key = qobject_cast<KeySurfaceButton*>(button.get())) key->setHovered(true);
    }
    if (state == State::pressed) {
        button->setDown(true);
        if (auto* key = qobject_cast<KeySurfaceButton*>(button.get())) key->pressAnimator().jumpTo(1);
    }
    if (state == State::disabled) button->setEnabled(false);
    return test::renderWidget(*button, 2);
}

TEST(ContactSheetTest, EveryStyleInEveryStateAndAppearance) {
    ReduceMotion::setOverride(false);
    const std::vector<Subject> all = subjects();
    const int cellWidth = 150;
    const int cellHeight = 120;
    const int labelWidth = 150;
    const int columns = int(std::size(kStates)) * 2;
    QImage sheet = test::blankImage(QSize(labelWidth + columns * cellWidth, 30 + int(all.size() + 2) * cellHeight), 2);
    QPainter painter(&sheet);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int dark = 0; dark < 2; ++dark) {
        const QRectF half(labelWidth + dark * 4 * cellWidth, 0, 4 * cellWidth, sheet.height() / 2.0);
        painter.fillRect(half, Palette::color(Palette::Swatch::canvas, dark));
        for (int s = 0; s < 4; ++s) {
            painter.setPen(dark ? Qt::white : Qt::black);
            painter.drawText(QRectF(half.left() + s * cellWidth, 4, cellWidth, 20), Qt::AlignCenter,
                             QString::fromLatin1(stateName(kStates[s])) + (dark ? " (dark)" : ""));
        }
    }

    for (size_t row = 0; row < all.size(); ++row) {
        const Subject& subject = all[row];
        const int top = 30 + int(row) * cellHeight;
        painter.setPen(Qt::black);
        painter.drawText(QRectF(6, top, labelWidth - 6, cellHeight), Qt::AlignVCenter | Qt::AlignLeft, subject.name);
        std::map<std::pair<int, State>, QImage> images;
        for (int dark = 0; dark < 2; ++dark) {
            Palette::setDarkOverride(dark == 1);
            for (int s = 0; s < 4; ++s) {
                const QImage image = renderState(subject, kStates[s]);
                images[{dark, kStates[s]}] = image;
                test::savePNG(image, QStringLiteral("%1-%2-%3").arg(subject.name, QString::fromLatin1(stateName(kStates[s])),
                                                                   dark ? QStringLiteral("dark") : QStringLiteral("light")));
                const QSizeF logical = QSizeF(image.size()) / image.devicePixelRatio();
                const QPointF at(labelWidth + (dark * 4 + s) * cellWidth + (cellWidth - logical.width()) / 2,
                                 top + (cellHeight - logical.height()) / 2);
                painter.drawImage(at, image);
            }
        }
        Palette::setDarkOverride(std::nullopt);

        const std::string name = subject.name.toStdString();
        auto at = [&](int dark, State state) { return images.at({dark, state}); };
        EXPECT_NE(at(0, State::rest), at(1, State::rest)) << name << ": dark looks like light";
        EXPECT_NE(at(0, State::rest), at(0, State::pressed)) << name << ": pressing changes nothing";
        EXPECT_LT(test::maxAlpha(at(0, State::disabled)), test::maxAlpha(at(0, State::rest)))
            << name << ": disabled is not fainter";
        EXPECT_LT(test::maxAlpha(at(1, State::disabled)), test::maxAlpha(at(1, State::rest))) << name;
    }

    // The non-button pieces at the bottom: key caps, a well and a section caption, in both appearances.
    const int top = 30 + int(all.size()) * cellHeight;
    for (int dark = 0; dark < 2; ++dark) {
        Palette::setDarkOverride(dark == 1);
        const qreal left = labelWidth + dark * 4 * cellWidth + 10;
        WellBackground::paint(painter, QRectF(left, top + 10, 4 * cellWidth - 20, 2 * cellHeight - 20), 18);
        qreal x = left + 20;
        for (const QString& text : {QStringLiteral("⌃"), QStringLiteral("⌥"), QStringLiteral("D"), QStringLiteral("1")}) {
            const QSizeF face = KeyCap::faceSize(text, 12);
            KeyCap::paint(painter, QRectF(QPointF(x, top + 40), face), text, 12);
            x += face.width() + 6;
        }
        for (qreal size : {9.0, 11.0, 20.0}) {
            const QSizeF face = KeyCap::faceSize(QStringLiteral("9"), size);
            KeyCap::paint(painter, QRectF(QPointF(x + 10, top + 40), face), QStringLiteral("9"), size);
            x += face.width() + 16;
        }
        SectionLabel label(QStringLiteral("presets.title"));
        label.resize(label.sizeHint());
        painter.drawImage(QPointF(left + 20, top + 100), test::renderWidget(label, 2));
    }
    Palette::setDarkOverride(std::nullopt);
    painter.end();
    test::savePNG(sheet, QStringLiteral("contact-sheet"));
    ReduceMotion::setOverride(std::nullopt);
}

}  // namespace
}  // namespace kestrine
