// The read-out moved and resized in layout edit mode, through the window's
// own pointer and key events.
#include "ui/main_form_fixture.h"

#include "ui/widgets/grab_handle.h"
#include "ui/widgets/move_sizer.h"
#include "ui/widgets/sizer_target.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

using namespace k740;

namespace {

const QString kLayout = "Position_Top=170\nPosition_Left=0\nPosition_Width=1600\nPosition_Height=500\n";

class PanelEditTest : public MainFormTest {
protected:
    // An absolute interface (one read-out) with the given stored panel bounds.
    void connect(const QStringList& arguments,
        const QString& panel = "Panel_Width=600\nPanel_Left=400\n"
                               "Panel_Top=120\nPanel_Height=104\n")
    {
        if (!ports.device("vcom0"))
            ports.plug("vcom0", SsiDevice(0, 13, 0));
        writeIni("[K740.vcom0]\n" + kLayout + panel);
        start(arguments);
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        search();
        poll();
    }
    TReadOut* panel() const { return form->controls().PosPanel; }
    void clickPanel()
    {
        QTest::mouseClick(panel(), Qt::LeftButton, {}, QPoint(5, 5));
        QCoreApplication::processEvents(); // the press is handled after the event
    }
    int saved(const QString& key) const
    {
        const QRegularExpressionMatch m
            = QRegularExpression("^" + key + R"(=(-?\d+)\r?$)", QRegularExpression::MultilineOption)
                  .match(readFile("K740.INI"));
        return m.hasMatch() ? m.captured(1).toInt() : -99999;
    }
    QRect savedPanel() const
    {
        return QRect(saved("Panel_Left"), saved("Panel_Top"), saved("Panel_Width"), saved("Panel_Height"));
    }
    const TMoveSizer& sizer() const { return form->moveSizer(); }
};

} // namespace

TEST_F(PanelEditTest, ClickSelectsTheReadOutWithEightNavyHandlesWithoutClicking)
{
    connect({"/E"});
    ASSERT_TRUE(sizer().Active());
    QSignalSpy clicks(panel(), &TReadOut::clicked);
    clickPanel();
    ASSERT_EQ(sizer().targetCount(), 1);
    EXPECT_EQ(clicks.count(), 0);
    for (int i = 0; i < 8; ++i) {
        const TGrabHandle* handle = sizer().target(0)->handle(i);
        EXPECT_TRUE(handle->isVisible() && handle->allowed()) << i;
        EXPECT_EQ(handle->colour(), QColor(0, 0, 128)) << i;
    }
    // A resize leaves the panel where it is, and its handles with it.
    QTest::qWait(0);
    const QRect placed = panel()->geometry();
    form->resize(1200, form->height() - 50);
    EXPECT_EQ(panel()->geometry(), placed);
    const QPoint left = panel()->mapTo(form.get(), QPoint(0, panel()->height() / 2));
    EXPECT_EQ(sizer().target(0)->handle(0)->geometry().center(), left);
}

TEST_F(PanelEditTest, ArrowKeysMoveAndResizeTheReadOutAndTheExitSavesIt)
{
    connect({"/E", "/D"});
    clickPanel();
    const QRect before = panel()->geometry();
    for (Qt::Key key : {Qt::Key_Right, Qt::Key_Right, Qt::Key_Up})
        typeKey(key);
    typeKey(Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(panel()->geometry(), QRect(before.x() + 2, before.y() - 1, before.width(), before.height() + 1));

    // F2 still reaches the window; the letters' commands only from another control.
    typeKey(Qt::Key_F2);
    EXPECT_EQ(form->session().captureList().lines().size(), 1);
    typeKey(Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(form->session().options().AutoCapture);
    form->controls().DataMemo->setFocus();
    typeKey(Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_FALSE(form->session().options().AutoCapture);

    form->FormDestroy();
    EXPECT_EQ(saved("Panel_Left"), before.x() + 2);
    EXPECT_EQ(saved("Panel_Top"), before.y() - 1);
    EXPECT_EQ(saved("Panel_Height"), before.height() + 1);
}

// Stored bounds are kept, even partly outside the body; a panel wholly
// outside is brought back just into reach, and saved as stored until moved.
TEST_F(PanelEditTest, StoredPanelShowsAsStoredOrJustInReachAndIsSavedAsStoredUntilMoved)
{
    connect({"/E"}, "Panel_Width=90000\nPanel_Left=-500\nPanel_Top=-20\nPanel_Height=50\n");
    EXPECT_EQ(panel()->geometry(), QRect(-500, -20, 90000, 50));
    form->FormDestroy();
    EXPECT_EQ(savedPanel(), QRect(-500, -20, 90000, 50));

    const QString away = "Panel_Width=0\nPanel_Left=-500\nPanel_Top=9000\nPanel_Height=-3\n";
    for (const bool moved : {false, true}) {
        connect({"/E"}, away);
        const int bottom = form->controls().GPanel->height() - 1;
        EXPECT_EQ(panel()->geometry(), QRect(0, bottom, 1, 1));
        if (moved) {
            typeKey(Qt::Key_Tab); // selects the read-out
            typeKey(Qt::Key_Up);
        }
        form->FormDestroy();
        EXPECT_EQ(savedPanel(), moved ? QRect(0, bottom - 1, 1, 1) : QRect(-500, 9000, 0, -3));
    }
}

// The pointer stops at the body's edge, the panel does not.
TEST_F(PanelEditTest, DragTakesTheReadOutPartlyOutsideTheBody)
{
    connect({"/E"});
    clickPanel();
    QTest::mousePress(panel(), Qt::LeftButton, {}, QPoint(5, 5));
    QCoreApplication::processEvents();
    const QPoint far = form->mapFromGlobal(panel()->mapToGlobal(QPoint(5, 5))) + QPoint(5000, 0);
    QTest::mouseMove(form.get(), far);
    QTest::mouseRelease(form.get(), Qt::LeftButton, {}, far);
    EXPECT_EQ(panel()->geometry(), QRect(form->controls().GPanel->width() - 1 - 5, 120, 600, 104));
}

TEST_F(PanelEditTest, OnlyLayoutEditModeWithOneReadOutSwitchesItOnUntilTheLinkIsLost)
{
    connect({});
    EXPECT_FALSE(sizer().Active());
    EXPECT_EQ(sizer().controlCount(), 0);

    connect({"/E"});
    EXPECT_TRUE(sizer().Active());
    clickPanel();
    ports.unplug("vcom0");
    poll();
    EXPECT_FALSE(sizer().Active());
    EXPECT_EQ(sizer().targetCount(), 0);

    ports.plug("vcom1", CounterDevice()); // two read-outs
    search();
    EXPECT_FALSE(sizer().Active());
}

TEST_F(PanelEditTest, SettingsDialogKeepsTheReadOutAsTheUserLeftIt)
{
    connect({"/E"});
    clickPanel();
    typeKey(Qt::Key_Right, Qt::ShiftModifier);
    const int width = panel()->width();
    answerModals([](QWidget* modal) {
        if (auto* dialog = qobject_cast<TSettingsForm*>(modal))
            dialog->controls().BtnOK->click();
    });
    form->StPanel3DblClick(); // the full layout pass puts the panel back where the dialog found it
    EXPECT_EQ(panel()->width(), width);
    EXPECT_EQ(width, 601);
}
