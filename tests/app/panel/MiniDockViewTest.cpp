#include "tests/app/panel/PanelFixture.h"

#include "app/Localization.h"
#include "app/panel/PresetKey.h"
#include "app/panel/SelectionState.h"

#include <QEnterEvent>

using namespace kestrine;
using namespace kestrine::testing;

namespace {

class MiniDockViewTest : public PanelTest {
protected:
    void makeView() {
        view = std::make_unique<MiniDockView>(*model, selection, *center, [this](int i) { applied.push_back(i); });
        view->resize(MiniDockView::panelSize(1408, int(model->presets().size())));
        view->show();
    }
    SelectionState selection;
    std::unique_ptr<MiniDockView> view;
    std::vector<int> applied;
};

TEST_F(MiniDockViewTest, KeysShowDigitEmojiAndNameAndFollowThePresets) {
    havePresets(11);
    ASSERT_TRUE(model->createPreset("Music", std::string("🎧"), {"com.b"}));
    activateNow(1);
    makeView();
    const auto& keys = view->keys();
    ASSERT_EQ(keys.size(), 12u);
    for (std::size_t i = 0; i < 12; ++i) {
        const QString name = QString::fromStdString(model->presets()[i].name);
        EXPECT_EQ(keys[i]->digit(), i < 9 ? QString::number(i + 1) : QString()) << i;
        EXPECT_EQ(keys[i]->toolTip(), name);
        EXPECT_EQ(keys[i]->accessibleName(), i == 1 ? Localization::format("mini.a11y.active", name) : name);
        EXPECT_EQ(keys[i]->isActivePreset(), i == 1);
    }
    EXPECT_EQ(keys[0]->emoji(), QString::fromUtf8("🏠"));
    EXPECT_EQ(keys[11]->emoji(), QString::fromUtf8("🎧"));
    EXPECT_EQ(view->hintText(), Localization::format("mini.hint", QString::fromUtf8("Ctrl+Alt+D")));
    EXPECT_TRUE(view->emptyText().isEmpty());

    // A preset made while the panel is up gets its key; activation moves the check.
    ASSERT_TRUE(model->createPreset("Late", std::nullopt, {"com.c"}));
    ASSERT_EQ(view->keys().size(), 13u);
    EXPECT_EQ(view->keys()[12]->preset().name, "Late");
    EXPECT_TRUE(view->keys()[12]->isActivePreset());
    EXPECT_FALSE(view->keys()[1]->isActivePreset());

    // Without presets only the empty text shows.
    system->log.failOn("load");
    model = build();
    makeView();
    EXPECT_TRUE(view->keys().empty());
    EXPECT_EQ(view->emptyText(), Localization::tr("mini.empty"));
}

TEST_F(MiniDockViewTest, HoverMovingFromOneKeyToTheNextNeverLeavesItEmpty) {
    havePresets(3);
    makeView();
    PresetKey* a = view->keys()[0];
    PresetKey* b = view->keys()[1];
    auto enter = [](QWidget* w) {
        QEnterEvent event(QPointF(10, 10), QPointF(10, 10), QPointF(10, 10));
        QApplication::sendEvent(w, &event);
    };
    auto leave = [](QWidget* w) {
        QEvent event(QEvent::Leave);
        QApplication::sendEvent(w, &event);
    };
    enter(a);
    EXPECT_EQ(view->hoveredID(), presetID(0));
    enter(b);  // B's enter arrives before A's leave
    leave(a);
    EXPECT_EQ(view->hoveredID(), presetID(1));
    EXPECT_TRUE(b->isHovered());
    EXPECT_FALSE(a->isHovered());
    leave(b);
    EXPECT_FALSE(view->hoveredID().has_value());
    EXPECT_FALSE(b->isHovered());
}

TEST_F(MiniDockViewTest, TheSelectedKeyStartsInViewAndStaysCentredUntilTheEnds) {
    havePresets(20);
    selection.setIndex(17);
    makeView();
    ASSERT_EQ(view->width(), 1408);
    EXPECT_FALSE(view->isScrolling()) << "the first selection is shown without animation";
    EXPECT_EQ(view->scrollOffset(), view->centringOffset(17));
    EXPECT_GT(view->scrollOffset(), 0);

    const int step = MiniDockView::keyWidth + MiniDockView::keySpacing;
    const int maximum = 20 * step - MiniDockView::keySpacing + 2 * MiniDockView::trayPadding - view->width();
    for (int index : {7, 12, 0}) {
        SCOPED_TRACE(index);
        selection.setIndex(index);
        view->finishScrolling();
        EXPECT_EQ(view->scrollOffset(), view->centringOffset(index));
        PresetKey* key = view->keys()[std::size_t(index)];
        const int keyCentre = key->mapTo(view.get(), key->restingFaceRect().center().toPoint()).x();
        if (view->scrollOffset() > 0 && view->scrollOffset() < maximum) {
            EXPECT_NEAR(keyCentre, view->width() / 2, 2);
        }
    }
    // The ends clamp: the first key at the start, the last at the end.
    EXPECT_EQ(view->centringOffset(0), 0);
    selection.setIndex(19);
    view->finishScrolling();
    PresetKey* last = view->keys()[19];
    EXPECT_NEAR(last->mapTo(view.get(), last->restingFaceRect().topRight().toPoint()).x(),
                view->width() - MiniDockView::trayPadding, 2);
}

TEST_F(MiniDockViewTest, AWholeRowFitsWithoutScrolling) {
    havePresets(3);
    makeView();
    for (int index : {0, 1, 2}) {
        selection.setIndex(index);
        EXPECT_EQ(view->scrollTarget(), 0);
    }
}

}  // namespace
