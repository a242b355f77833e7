// Draws the preset cards in light and dark, at rest and hovered, into PNG files for a person to
// look at ($KESTRINE_SHOTS_DIR, or <temp>/kestrine-shots/cards), and checks what must be there.
#include <gtest/gtest.h>

#include "app/settings/NewPresetCard.h"
#include "app/settings/PresetCard.h"
#include "app/settings/PresetCardsView.h"
#include "app/style/IconButton.h"
#include "app/style/Palette.h"
#include "app/style/ReduceMotion.h"
#include "tests/app/support/ModelFixture.h"
#include "tests/app/support/RenderSupport.h"

#include <QAbstractAnimation>
#include <QApplication>
#include <QDir>
#include <QEnterEvent>
#include <QPainter>
#include <QTest>
#include <QVBoxLayout>

using namespace kestrine;
using namespace kestrine::testing;

namespace {

// The window's background with the content inset as in the settings window.
class CanvasHost : public QWidget {
public:
    explicit CanvasHost(QWidget* content) {
        auto* column = new QVBoxLayout(this);
        // The settings window places the view by its visible content; so does this host.
        const QMargins room = PresetCardsView::cardRoom();
        column->setContentsMargins(36 - room.left(), 32 - room.top(), 36 - room.right(), 32 - room.bottom());
        column->addWidget(content);
    }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), Palette::canvas()); }
};

void hover(QWidget* widget) {
    const QPointF at(widget->width() / 2.0, widget->height() / 2.0);
    QEnterEvent enter(at, at, widget->mapToGlobal(at));
    QApplication::sendEvent(widget, &enter);
}

class PresetCardsRender : public ::testing::Test, public ModelFixture {
protected:
    void SetUp() override {
        ReduceMotion::setOverride(false);
        system->setDock({appTile("com.a", 1), appTile("com.b", 2), appTile("com.c", 3), appTile("com.d", 4)});
        model = build();
        model->reload();
        const char* names[] = {"Work",   "Focus Mode", "Gaming", "Design and illustration studio", "Music",
                               "Travel", "Writing",    "Photos", "Research",                       "Weekend",
                               "Zoom"};
        int i = 0;
        for (const char* name : names) {
            std::set<std::string> selection{"com.a"};
            if (i % 3 == 1) selection = {"com.a", "com.b", "com.c"};
            if (i % 3 == 2) selection = {"com.b", "com.d"};
            ASSERT_TRUE(model->createPreset(name, i == 4 ? std::optional<std::string>("🎸") : std::nullopt, selection));
            ++i;
        }
        model->activate(model->presets()[1]);
        view = new PresetCardsView(*model);
        host = std::make_unique<CanvasHost>(view);
        host->resize(680, host->heightForWidth(680));
        host->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(host.get()));
        QCoreApplication::processEvents();
    }
    void TearDown() override {
        host.reset();
        Palette::setDarkOverride(std::nullopt);
        ReduceMotion::setOverride(std::nullopt);
    }
    QImage shoot(const QString& name) {
        settle(host.get());
        host->resize(680, host->heightForWidth(680));
        QCoreApplication::processEvents();
        settle(host.get());
        const QImage image = host->grab().toImage();
        image.save(shotsDirectory(QStringLiteral("cards")).filePath(name + QStringLiteral(".png")));
        return image;
    }
    QPoint inHost(QWidget* w, QPointF p) { return w->mapTo(host.get(), p.toPoint()); }

    PresetCardsView* view = nullptr;
    std::unique_ptr<CanvasHost> host;
};

TEST_F(PresetCardsRender, TwelvePresetsInLightAndDark) {
    ASSERT_EQ(view->cards().size(), 12u);
    for (bool dark : {false, true}) {
        Palette::setDarkOverride(dark);
        const QImage image = shoot(dark ? QStringLiteral("cards-dark") : QStringLiteral("cards-light"));
        // The active card's ring, and a plain face on another card, in this appearance's colours.
        PresetCard* active = view->cards()[1];
        PresetCard* other = view->cards()[2];
        EXPECT_TRUE(near(colorAt(image, inHost(active, QPointF(active->restingFaceRect().left() + 1, active->restingFaceRect().center().y()))),
                         Palette::accent(), 12));
        EXPECT_TRUE(near(colorAt(image, inHost(other, other->restingFaceRect().center())), Palette::raised()));
        EXPECT_TRUE(near(colorAt(image, QPoint(4, 4)), Palette::canvas()));
    }
}

TEST_F(PresetCardsRender, HoveredCards) {
    PresetCard* active = view->cards()[1];
    PresetCard* home = view->cards()[0];
    for (bool dark : {false, true}) {
        Palette::setDarkOverride(dark);
        hover(active);
        hover(view->newPresetCard());
        const QImage image = shoot(dark ? QStringLiteral("cards-hovered-dark") : QStringLiteral("cards-hovered-light"));
        EXPECT_TRUE(active->deleteButton()->isVisible());
        EXPECT_TRUE(near(colorAt(image, inHost(active, active->restingFaceRect().center())), Palette::raisedHover()));
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(active, &leave);
        QApplication::sendEvent(view->newPresetCard(), &leave);
        settle(host.get());
        EXPECT_FALSE(active->deleteButton()->isVisible());
    }
    Palette::setDarkOverride(false);
    model->activate(model->presets()[0]);
    hover(home);
    home->setFocus(Qt::TabFocusReason);
    shoot(QStringLiteral("cards-default-hovered-focused-light"));
    EXPECT_FALSE(home->deleteButton()->isVisible());
    EXPECT_TRUE(home->showsCurrentBadge());
}

}  // namespace
