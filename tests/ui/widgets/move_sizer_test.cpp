#include "ui/widgets/grab_handle.h"
#include "ui/widgets/move_sizer.h"
#include "ui/widgets/sizer_target.h"

#include <QApplication>
#include <QMetaProperty>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace k740;

namespace {

const QColor Navy(0, 0, 128);
const QColor Grey(128, 128, 128);

class PreviewForm : public QWidget, public ITKeyPreview {
public:
    bool previewKeyDown(QKeyEvent* event) override { return event->key() == previewed; }
    int previewed = 0;
};

// A form with two registered controls a and b inside an unregistered panel.
class MoveSizerTest : public ::testing::Test {
protected:
    MoveSizerTest()
    {
        form.setGeometry(100, 100, 400, 300);
        panel->setGeometry(20, 20, 300, 200);
        a->setGeometry(10, 10, 50, 40);
        b->setGeometry(100, 10, 60, 40);
        form.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&form));
        sizer->AttachControl(a);
        sizer->AttachControl(b);
        sizer->OnStartSizeMove = [this](QObject*, TSizerState state) { starts.push_back(state); };
        sizer->OnDuringSizeMove = [this](QObject*, int dx, int dy, TSizerState) { lastDelta = {dx, dy}; };
        sizer->OnEndSizeMove = [this](QObject*, TSizerState state) { ends.push_back(state); };
        sizer->OnTargetChange = [this](QObject*) { ++changes; };
        sizer->setActive(true);
    }

    void press(QWidget* w, QPoint pos, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::mousePress(w, Qt::LeftButton, modifiers, pos);
        QCoreApplication::processEvents(); // the deferred start of the drag
    }
    void click(QWidget* w, Qt::KeyboardModifiers modifiers = {})
    {
        press(w, w->rect().center(), modifiers);
        QTest::mouseRelease(w, Qt::LeftButton, modifiers, w->rect().center());
    }
    // Presses at `from` on `w`, then moves and releases on the form.
    void drag(QWidget* w, QPoint from, QPoint delta)
    {
        press(w, from);
        const QPoint to = form.mapFromGlobal(w->mapToGlobal(from) + delta);
        QTest::mouseMove(&form, to);
        QTest::mouseRelease(&form, Qt::LeftButton, {}, to);
    }
    void dragHandle(int index, QPoint delta) { drag(handle(0, index), QPoint(2, 2), delta); }
    TGrabHandle* handle(int target, int index) const { return sizer->target(target)->handle(index); }
    std::vector<QWidget*> targets() const
    {
        std::vector<QWidget*> result;
        for (int i = 0; i < sizer->targetCount(); ++i)
            result.push_back(sizer->target(i)->control());
        return result;
    }

    // What the handlers saw; outlives the form, whose deletion still reports.
    std::vector<TSizerState> starts;
    std::vector<TSizerState> ends;
    QPoint lastDelta;
    int changes = 0;
    PreviewForm form;
    QWidget* panel = new QWidget(&form);
    QWidget* a = new QWidget(panel);
    QWidget* b = new QWidget(panel);
    TMoveSizer* sizer = new TMoveSizer(&form);
};

TEST(MoveSizerCreation, RefusesAnOwnerThatIsNotAWidgetAndStartsWithThePublishedDefaults)
{
    QObject notAWidget;
    for (QObject* owner : {&notAWidget, static_cast<QObject*>(nullptr)}) {
        try {
            TMoveSizer refused(owner);
            ADD_FAILURE() << "owner accepted";
        } catch (const std::invalid_argument& error) {
            EXPECT_STREQ(error.what(), "TMoveSizer.Create: Owner must be a windowed control");
        }
    }
    QWidget owner;
    const TMoveSizer sizer(&owner);
    const QMetaObject* meta = sizer.metaObject();
    const std::vector<std::pair<const char*, QVariant>> published
        = {{"MoveOnly", false}, {"BtnColor", Navy}, {"BtnColorDisabled", Grey}, {"GridSize", 0},
            {"MultiTargetResize", true}, {"PopupMenu", QVariant::fromValue<QMenu*>(nullptr)}};
    ASSERT_EQ(meta->propertyCount() - meta->propertyOffset(), int(published.size()));
    for (size_t i = 0; i < published.size(); ++i) {
        const QMetaProperty property = meta->property(meta->propertyOffset() + int(i));
        EXPECT_STREQ(property.name(), published[i].first);
        EXPECT_EQ(property.read(&sizer), published[i].second) << property.name();
    }
    EXPECT_FALSE(sizer.Active());
}

TEST_F(MoveSizerTest, FirstPressSelectsAndTheNextPressMoves)
{
    click(a);
    EXPECT_EQ(targets(), std::vector<QWidget*>{a});
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(starts.empty());
    EXPECT_TRUE(handle(0, kHandleTopLeft)->isVisible());
    drag(a, QPoint(5, 5), QPoint(15, 7));
    EXPECT_EQ(a->geometry(), QRect(25, 17, 50, 40));
    EXPECT_EQ(starts, std::vector<TSizerState>{ssMoving});
    EXPECT_EQ(ends, std::vector<TSizerState>{ssMoving});
    EXPECT_EQ(lastDelta, QPoint(15, 7));
    EXPECT_EQ(handle(0, kHandleBottomRight)->pos(), form.mapFromGlobal(a->mapToGlobal(QPoint(49, 39))) - QPoint(2, 2));
    EXPECT_TRUE(handle(0, kHandleBottomRight)->isVisible());
    EXPECT_EQ(sizer->state(), ssReady);
}

TEST_F(MoveSizerTest, ShiftClickAddsAndRemovesTargetsAndAClickElsewhereDeselects)
{
    auto* other = new QPushButton(panel);
    other->setGeometry(200, 100, 50, 30);
    other->show();
    int otherClicks = 0;
    QObject::connect(other, &QPushButton::clicked, [&otherClicks] { ++otherClicks; });
    click(a);
    click(b, Qt::ShiftModifier);
    EXPECT_EQ(targets(), (std::vector<QWidget*>{a, b}));
    click(a, Qt::ShiftModifier);
    EXPECT_EQ(targets(), std::vector<QWidget*>{b});
    QTest::mouseClick(other, Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_TRUE(targets().empty());
    EXPECT_EQ(otherClicks, 1);
    click(a);
    click(panel);
    EXPECT_TRUE(targets().empty());
    click(a);
    press(&form, QPoint(350, 250)); // the form itself, outside every control
    QTest::mouseRelease(&form, Qt::LeftButton, {}, QPoint(350, 250));
    EXPECT_TRUE(targets().empty());
}

TEST_F(MoveSizerTest, OnMouseDownSeesEachPressOnceAndCanStopIt)
{
    auto* inner = new QWidget(a); // unregistered: its ignored press is handed on to a
    inner->setGeometry(20, 10, 10, 10);
    inner->show();
    std::vector<std::pair<QWidget*, QPoint>> seen;
    sizer->OnMouseDown = [&seen](QObject*, QWidget* target, QPoint targetPt, bool& handled) {
        seen.emplace_back(target, targetPt);
        handled = true;
    };
    click(inner);
    EXPECT_EQ(seen, (std::vector<std::pair<QWidget*, QPoint>>{{a, QPoint(24, 14)}}));
    EXPECT_TRUE(targets().empty());
}

// The pointer is clipped to the target with the grabbed edge widened to the
// parent; the offset is reported on both axes, but the left handle moves
// only the left edge.
TEST_F(MoveSizerTest, LeftHandleFollowsTheClippedPointerToTheParentBorderButNotPastTheRightEdge)
{
    struct Case {
        QPoint delta;
        QPoint reported;
        QRect bounds;
    };
    for (const Case& c : {Case{{20, 13}, {20, 13}, {30, 10, 30, 40}}, Case{{100, 30}, {49, 19}, {59, 10, 1, 40}},
             Case{{-100, -40}, {-10, -20}, {0, 10, 60, 40}}}) {
        a->setGeometry(10, 10, 50, 40);
        sizer->DeselectAll();
        sizer->SelectTarget(a);
        dragHandle(kHandleLeft, c.delta);
        EXPECT_EQ(a->geometry(), c.bounds) << c.delta.x();
        EXPECT_EQ(lastDelta, c.reported) << c.delta.x();
        EXPECT_EQ(ends.back(), ssSizing);
    }
    a->setGeometry(10, 10, 50, 40);
    sizer->DeselectAll();
    sizer->SelectTarget(b);
    sizer->SelectTarget(a);
    dragHandle(kHandleLeft, QPoint(100, 0)); // b's handle: the pointer stops at b's right edge
    EXPECT_EQ(b->geometry(), QRect(159, 10, 1, 40));
    EXPECT_EQ(a->geometry(), QRect(59, 10, 1, 40));
}

// A move clips the pointer to the parent, not the target: the target may
// end partly outside its parent.
TEST_F(MoveSizerTest, MoveClipsThePointerToTheParentNotTheTarget)
{
    click(a);
    drag(a, QPoint(5, 5), QPoint(400, -100));
    EXPECT_EQ(lastDelta, QPoint(299 - 15, -15));
    EXPECT_EQ(a->geometry(), QRect(294, -5, 50, 40));
}

// Each target shows an inverting dotted frame: every other pixel of its
// border inverted, the inside untouched.
TEST_F(MoveSizerTest, DragShowsAnInvertingDottedFramePerTarget)
{
    for (QWidget* w : {static_cast<QWidget*>(&form), b}) {
        QPalette palette = w->palette();
        palette.setColor(QPalette::Window, w == b ? Qt::black : Qt::white);
        w->setPalette(palette);
        w->setAutoFillBackground(true);
    }
    click(a);
    click(b, Qt::ShiftModifier);
    press(a, QPoint(5, 5));
    QTest::mouseMove(&form, form.mapFromGlobal(a->mapToGlobal(QPoint(6, 5))));
    const QImage shot = form.grab().toImage();
    for (QWidget* w : {a, b}) {
        const QPoint corner = w->mapTo(&form, QPoint(1, 0)); // one pixel right of the control
        const QColor under = w == b ? Qt::black : Qt::white;
        const QColor inverted = w == b ? Qt::white : Qt::black;
        for (int i = 0; i < 6; ++i) {
            EXPECT_EQ(shot.pixelColor(corner + QPoint(i, 0)), i % 2 ? under : inverted) << i;
            EXPECT_EQ(shot.pixelColor(corner + QPoint(0, i)), i % 2 ? under : inverted) << i;
        }
        EXPECT_EQ(shot.pixelColor(corner + QPoint(10, 10)), under);
    }
    QTest::mouseRelease(&form, Qt::LeftButton);
}

TEST_F(MoveSizerTest, EscapeDuringADragLeavesTheTargetAndStillEndsTheDrag)
{
    click(a);
    press(a, QPoint(5, 5));
    QTest::mouseMove(&form, form.mapFromGlobal(a->mapToGlobal(QPoint(35, 35))));
    EXPECT_EQ(sizer->state(), ssMoving);
    QTest::keyClick(&form, Qt::Key_Escape);
    QTest::mouseRelease(&form, Qt::LeftButton);
    EXPECT_EQ(a->geometry(), QRect(10, 10, 50, 40));
    EXPECT_EQ(ends, std::vector<TSizerState>{ssMoving});
    EXPECT_EQ(sizer->state(), ssReady);
    EXPECT_EQ(targets(), std::vector<QWidget*>{a});
}

// Half a step is added, then the remainder of a truncating division cut off.
TEST_F(MoveSizerTest, GridAddsHalfAStepThenCutsTheDroppedBoundsDown)
{
    a->setGeometry(0, 0, 103, 44);
    sizer->setGridSize(10);
    click(a);
    drag(a, QPoint(5, 5), QPoint(14, 25));
    EXPECT_EQ(a->geometry(), QRect(10, 30, 100, 40));
    EXPECT_EQ(SnappedToGrid(QRect(-14, 4, 3, 16), 10), QRect(0, 0, 0, 20));
    EXPECT_EQ(SnappedToGrid(QRect(-16, -5, 5, 4), 10), QRect(-10, 0, 10, 0));
}

TEST_F(MoveSizerTest, TopAlignedTargetKeepsOnlyTheBottomHandleAndCannotMove)
{
    SetControlAlign(a, TAlign::Top);
    click(a);
    for (int i = 0; i < kHandleCount; ++i) {
        EXPECT_EQ(handle(0, i)->allowed(), i == kHandleBottom) << i;
        EXPECT_EQ(handle(0, i)->colour(), i == kHandleBottom ? Navy : Grey) << i;
        EXPECT_EQ(handle(0, i)->cursor().shape(), i == kHandleBottom ? Qt::SizeVerCursor : Qt::ArrowCursor) << i;
    }
    drag(a, QPoint(5, 5), QPoint(30, 30));
    EXPECT_EQ(a->geometry(), QRect(10, 10, 50, 40));
    EXPECT_TRUE(starts.empty());
    dragHandle(kHandleLeft, QPoint(5, 0));
    EXPECT_EQ(a->geometry(), QRect(10, 10, 50, 40));
    dragHandle(kHandleBottom, QPoint(0, 6));
    EXPECT_EQ(a->geometry(), QRect(10, 10, 50, 46));
    sizer->setBtnColor(Qt::red);
    EXPECT_EQ(handle(0, kHandleBottom)->colour(), QColor(Qt::red));
}

TEST_F(MoveSizerTest, TwoTargetsWithoutMultiTargetResizeMoveTogetherWithEveryHandleDisabled)
{
    sizer->setMultiTargetResize(false);
    click(a);
    click(b, Qt::ShiftModifier);
    for (int t = 0; t < 2; ++t)
        for (int i = 0; i < kHandleCount; ++i)
            EXPECT_EQ(handle(t, i)->colour(), Grey) << t << i;
    QTest::keyClick(&form, Qt::Key_Right, Qt::ShiftModifier);
    drag(a, QPoint(5, 5), QPoint(5, 6));
    EXPECT_EQ(a->geometry(), QRect(15, 16, 50, 40));
    EXPECT_EQ(b->geometry(), QRect(105, 16, 60, 40));
    sizer->setMultiTargetResize(true);
    EXPECT_EQ(handle(1, kHandleRight)->colour(), Navy);
}

TEST_F(MoveSizerTest, TabAndEscapeStepThroughTheRegisteredControls)
{
    sizer->AttachControl(panel);
    const std::vector<std::pair<QKeyCombination, QWidget*>> steps
        = {{Qt::Key_Tab, a}, {Qt::Key_Tab, b}, {Qt::Key_Tab, panel}, {Qt::Key_Tab, a},
            {Qt::ShiftModifier | Qt::Key_Tab, panel}, {Qt::Key_Backtab, b}, {Qt::Key_Escape, panel}};
    for (const auto& [keys, selected] : steps) {
        QTest::keyClick(&form, keys.key(), keys.keyboardModifiers());
        EXPECT_EQ(targets(), std::vector<QWidget*>{selected}) << keys.key();
    }
}

TEST_F(MoveSizerTest, ArrowKeysMoveAndShiftArrowKeysResizeByOnePixel)
{
    struct Step {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        QRect bounds;
    };
    click(a);
    const std::vector<Step> steps = {{Qt::Key_Left, {}, {9, 10, 50, 40}}, {Qt::Key_Up, {}, {9, 9, 50, 40}},
        {Qt::Key_Right, {}, {10, 9, 50, 40}}, {Qt::Key_Down, {}, {10, 10, 50, 40}},
        {Qt::Key_Right, Qt::ShiftModifier, {10, 10, 51, 40}}, {Qt::Key_Down, Qt::ShiftModifier, {10, 10, 51, 41}},
        {Qt::Key_Left, Qt::ShiftModifier, {10, 10, 50, 41}}, {Qt::Key_Up, Qt::ShiftModifier, {10, 10, 50, 40}}};
    for (const Step& step : steps) {
        QTest::keyClick(&form, step.key, step.modifiers);
        EXPECT_EQ(a->geometry(), step.bounds) << step.key;
        EXPECT_EQ(ends.back(), step.modifiers ? ssSizing : ssMoving);
    }
    EXPECT_EQ(ends.size(), steps.size());
    a->resize(1, 1);
    QTest::keyClick(&form, Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(a->size(), QSize(1, 1));
}

TEST_F(MoveSizerTest, KeysGoToTheFormPreviewAndOnKeyDownFirst)
{
    click(a);
    form.previewed = Qt::Key_Left;
    sizer->OnKeyDown = [](QObject*, int& key, Qt::KeyboardModifiers) {
        if (key == Qt::Key_Right)
            key = 0;
    };
    QTest::keyClick(&form, Qt::Key_Left);
    QTest::keyClick(&form, Qt::Key_Right);
    EXPECT_EQ(a->pos(), QPoint(10, 10));
    EXPECT_TRUE(ends.empty());
    QTest::keyClick(&form, Qt::Key_Down);
    EXPECT_EQ(a->pos(), QPoint(10, 11));
}

TEST_F(MoveSizerTest, CursorsShowWhatAPressWouldDoUntilSwitchedOff)
{
    QTest::mouseMove(b, QPoint(5, 5));
    EXPECT_EQ(b->cursor().shape(), Qt::PointingHandCursor);
    click(a);
    QTest::mouseMove(a, QPoint(5, 5));
    EXPECT_EQ(a->cursor().shape(), Qt::SizeAllCursor);
    EXPECT_EQ(handle(0, kHandleTopRight)->cursor().shape(), Qt::SizeBDiagCursor);
    press(a, QPoint(5, 5));
    ASSERT_TRUE(QGuiApplication::overrideCursor());
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::SizeAllCursor);
    QTest::mouseRelease(a, Qt::LeftButton);
    EXPECT_FALSE(QGuiApplication::overrideCursor());
    sizer->setActive(false);
    EXPECT_FALSE(a->testAttribute(Qt::WA_SetCursor));
    EXPECT_FALSE(b->hasMouseTracking());
}

TEST_F(MoveSizerTest, RegisteredButtonDoesNotClickWhileActive)
{
    auto* button = new QPushButton(panel);
    button->setGeometry(200, 100, 50, 30);
    button->show();
    sizer->AttachControl(button);
    int clicks = 0;
    QObject::connect(button, &QPushButton::clicked, [&clicks] { ++clicks; });
    QTest::mouseClick(button, Qt::LeftButton);
    QTest::keyPress(button, Qt::Key_Space);
    EXPECT_FALSE(button->isDown());
    QTest::keyRelease(button, Qt::Key_Space);
    EXPECT_EQ(clicks, 0);
    sizer->setActive(false);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
}

TEST_F(MoveSizerTest, DeletingControlsWhileActiveLeavesNoDanglingRecords)
{
    click(a);
    click(b, Qt::ShiftModifier);
    const int changesBefore = changes;
    delete a;
    EXPECT_EQ(sizer->controlCount(), 1);
    EXPECT_EQ(targets(), std::vector<QWidget*>{b});
    EXPECT_EQ(changes, changesBefore + 1);
    QTest::keyClick(&form, Qt::Key_Tab);
    EXPECT_EQ(targets(), std::vector<QWidget*>{b});
    press(b, QPoint(5, 5));
    delete b;
    QTest::mouseMove(&form, QPoint(200, 200));
    QTest::mouseRelease(&form, Qt::LeftButton, {}, QPoint(200, 200));
    EXPECT_EQ(sizer->state(), ssReady);
    EXPECT_EQ(sizer->controlCount(), 0);
    EXPECT_TRUE(targets().empty());
    EXPECT_FALSE(QWidget::mouseGrabber());
    sizer->setActive(false);
}

TEST_F(MoveSizerTest, RightPressOnATargetOpensThePopupMenuUnlessHandled)
{
    QMenu menu;
    sizer->setPopupMenu(&menu);
    click(a);
    bool handled = true;
    QPoint reported;
    sizer->OnContextPopup = [&](QObject*, QPoint mousePos, bool& h) {
        reported = mousePos;
        h = handled;
    };
    QTest::mousePress(a, Qt::RightButton, {}, QPoint(5, 6));
    QTest::mouseRelease(a, Qt::RightButton, {}, QPoint(5, 6));
    EXPECT_EQ(reported, a->mapToGlobal(QPoint(5, 6)));
    EXPECT_FALSE(menu.isVisible());
    handled = false;
    QTest::mousePress(a, Qt::RightButton, {}, QPoint(5, 6));
    QTest::mouseRelease(a, Qt::RightButton, {}, QPoint(5, 6));
    EXPECT_TRUE(menu.isVisible());
    EXPECT_EQ(menu.property("PopupComponent").value<QObject*>(), a);
    menu.hide();
}

} // namespace
