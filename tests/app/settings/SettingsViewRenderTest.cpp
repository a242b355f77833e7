// The whole settings view drawn at the window's default and minimum sizes, light and dark, with a
// few presets, the error banner and the more popover, into PNG files for a person to look at
// ($KESTRINE_SHOTS_DIR, or <temp>/kestrine-shots/settings). The checks are about the layout that
// must hold at every size: the footer at the bottom, everything reachable by scrolling, nothing
// wider than the window.
#include "app/Localization.h"
#include "app/settings/ErrorBanner.h"
#include "app/settings/FooterBar.h"
#include "app/settings/HeaderView.h"
#include "app/settings/MorePopover.h"
#include "app/settings/PresetCardsView.h"
#include "app/settings/SettingsView.h"
#include "app/settings/ShortcutRow.h"
#include "app/style/Palette.h"
#include "app/style/ReduceMotion.h"
#include "tests/app/settings/SettingsViewTestSupport.h"
#include "tests/app/support/RenderSupport.h"

#include <QCoreApplication>
#include <QImage>
#include <QLayout>
#include <QScrollArea>
#include <QScrollBar>

#include <gtest/gtest.h>

using namespace kestrine;
using namespace kestrine::testing;

namespace {

class SettingsViewRenderTest : public ::testing::TestWithParam<bool>, public SettingsFixture {
protected:
    std::unique_ptr<SettingsView> view;

    void SetUp() override {
        Palette::setDarkOverride(GetParam());
        ReduceMotion::setOverride(false);
        buildModel();
        ASSERT_TRUE(model->createPreset("Work", std::string("💼"), {"com.a", "com.b"}));
        ASSERT_TRUE(model->createPreset("Games", std::nullopt, {"com.c"}));
        ASSERT_TRUE(model->createPreset("Design and photography", std::string("🎨"), {}));
        model->flushPending();
        loginItem = makeLoginItem(false);
        view = std::make_unique<SettingsView>(*model, *loginItem, *center, *recorder);
    }

    void TearDown() override {
        view.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        tearDownShared();
        ReduceMotion::setOverride(std::nullopt);
        Palette::setDarkOverride(std::nullopt);
    }

    QString suffix() const { return GetParam() ? QStringLiteral("dark") : QStringLiteral("light"); }

    QImage save(QWidget* widget, const QString& name) {
        QCoreApplication::processEvents();
        QImage image = widget->grab().toImage();
        image.save(shotsDirectory(QStringLiteral("settings")).filePath(name + QStringLiteral("-") + suffix() + QStringLiteral(".png")));
        return image;
    }
    QImage shoot(QSize size, const QString& name) {
        view->resize(size);
        view->show();
        return save(view.get(), name);
    }

    void settleBanner() {
        if (view->errorBanner()) settle(view->errorBanner());
    }
};

TEST_P(SettingsViewRenderTest, AtTheDefaultSizeTheFooterSitsAtTheBottomOnTheCanvas) {
    const QImage image = shoot(QSize(760, 820), QStringLiteral("settings-760x820"));
    EXPECT_EQ(view->footer()->geometry().bottom(), view->height() - 1);
    EXPECT_EQ(view->footer()->width(), view->width());
    // The canvas shows in the corner and under the content's left padding.
    EXPECT_EQ(colorAt(image, QPoint(2, 2)).rgb(), Palette::canvas().rgb());
    EXPECT_EQ(colorAt(image, QPoint(10, 300)).rgb(), Palette::canvas().rgb());
    // The header's icon starts at the content's padding.
    const QWidget* icon = view->header()->iconView();
    const QMargins room = HeaderView::iconRoom();
    const QPoint iconInContent = icon->mapTo(view->content(), QPoint(room.left(), room.top()));
    EXPECT_EQ(iconInContent.x(), SettingsView::contentPadding().left());
    // Centred against the taller text column beside it.
    EXPECT_GT(iconInContent.y(), SettingsView::contentPadding().top());
}

TEST_P(SettingsViewRenderTest, AtTheMinimumSizeEverythingIsReachableByScrolling) {
    shoot(QSize(680, 660), QStringLiteral("settings-680x660"));
    QScrollArea* scroll = view->scrollArea();
    EXPECT_EQ(view->footer()->geometry().bottom(), view->height() - 1);
    // Nothing is wider than the visible area: no horizontal scrolling is needed.
    EXPECT_LE(view->content()->width(), scroll->viewport()->width());
    // The cards reach below the visible area, and scrolling to the end brings their bottom in.
    QScrollBar* bar = scroll->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    bar->setValue(bar->maximum());
    QCoreApplication::processEvents();
    const QRect cards = view->presetCards()->geometry();
    const int cardsBottomInViewport = cards.bottom() + view->content()->y();
    EXPECT_LE(cardsBottomInViewport, scroll->viewport()->height() - 1);
    save(view.get(), QStringLiteral("settings-680x660-scrolled"));
}

TEST_P(SettingsViewRenderTest, TheBannerLiesOverTheTopOfTheContent) {
    view->resize(760, 820);
    view->show();
    model->setErrorMessage(QStringLiteral("The Dock's preferences could not be written. Check that the disk is not full, "
                                          "then try again."));
    settleBanner();
    // The banner's placement and motion have tests of their own; this picture is for a person.
    shoot(QSize(760, 820), QStringLiteral("settings-banner"));
}

TEST_P(SettingsViewRenderTest, TheMorePopoverAndTheRecordingRow) {
    shoot(QSize(760, 820), QStringLiteral("settings-base"));
    view->footer()->setMoreShown(true);
    MorePopover* popover = view->footer()->morePopover();
    ASSERT_NE(popover, nullptr);
    save(popover, QStringLiteral("more-popover"));
    view->footer()->setMoreShown(false);

    center->update(controlOptionK);
    center->setErrorMessage(QStringLiteral("Ctrl+Alt+K is already used by another app. Try a different shortcut."));
    save(view->header(), QStringLiteral("header-changed"));
    recorder->start();
    save(view->header(), QStringLiteral("header-recording"));
    recorder->stop();
}

INSTANTIATE_TEST_SUITE_P(Appearances, SettingsViewRenderTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Dark" : "Light"; });

}  // namespace
