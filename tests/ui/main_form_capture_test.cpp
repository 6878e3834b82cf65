// The capture list and the window's keyboard commands, through real key events.
#include "ui/main_form_fixture.h"

#include "platform/tick_counter.h"
#include "ui/widgets/up_down.h"

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QTest>

using namespace k740;

namespace {

constexpr Qt::KeyboardModifiers kCtrlShift = Qt::ControlModifier | Qt::ShiftModifier;

class CaptureTest : public MainFormTest {
protected:
    ~CaptureTest() override { SetTickSource({}); }
    // A window on a connected counting interface, the clock at 5000.
    void connect(const QStringList& arguments)
    {
        now = 5000;
        SetTickSource([this] { return now; });
        device = ports.plug("vcom0", CounterDevice());
        writeIni("[K740.vcom0]\nCPM=1000\n");
        start(arguments);
        search();
    }
    void fill(int lines) { memo()->setPlainText(QString("x\n").repeated(lines - 1) + "x"); }
    QPlainTextEdit* memo() const { return form->controls().DataMemo; }
    int lineCount() const { return int(form->session().captureList().lines().size()); }
    // Ticks the list's own check box with the given interval.
    void captureEvery(int ms)
    {
        form->controls().udCaptureInterval->setPosition(ms);
        form->controls().cbAutoCapture->setChecked(true);
    }
    void pollAt(uint32_t tick)
    {
        now = tick;
        poll();
    }

    uint32_t now = 0;
    std::shared_ptr<TDeviceModel> device;
};

} // namespace

TEST_F(CaptureTest, F2CapturesTheReadOutOnlyWhenShownListedAndNotFull)
{
    connect({"/D"});
    typeKey(Qt::Key_F2); // nothing shown yet
    EXPECT_EQ(lineCount(), 0);
    device->setPosition(1234);
    poll();
    typeKey(Qt::Key_F2);
    typeKey(Qt::Key_F2, Qt::ControlModifier | Qt::AltModifier); // any modifiers
    EXPECT_EQ(form->session().captureList().lines(), QStringList({"1.234", "1.234"}));

    fill(TCaptureList::kMaxCaptureLines);
    typeKey(Qt::Key_F2);
    EXPECT_EQ(lineCount(), TCaptureList::kMaxCaptureLines);
}

TEST_F(CaptureTest, F2IsPreviewedFromAnyControlAndNotConsumed)
{
    connect({"/D"});
    poll();
    memo()->setFocus();
    ASSERT_EQ(keyTarget(), memo());
    QTest::keyClicks(memo(), "ab");
    typeKey(Qt::Key_F2);
    EXPECT_EQ(form->session().captureList().lines(), QStringList({"ab", "0.000"}));
}

TEST_F(CaptureTest, EmptyLastLineTakesTheCaptureAndDoesNotCount)
{
    connect({"/D"});
    poll();
    memo()->setFocus();
    QTest::keyClicks(memo(), "abc");
    QTest::keyClick(memo(), Qt::Key_Return);
    typeKey(Qt::Key_F2);
    EXPECT_EQ(memo()->toPlainText(), "abc\n0.000");

    memo()->setPlainText(QString("x\n").repeated(TCaptureList::kMaxCaptureLines - 1));
    EXPECT_EQ(lineCount(), TCaptureList::kMaxCaptureLines - 1);
    typeKey(Qt::Key_F2);
    EXPECT_EQ(lineCount(), TCaptureList::kMaxCaptureLines);
    EXPECT_TRUE(memo()->toPlainText().endsWith("x\n0.000"));
}

TEST_F(CaptureTest, F2WithTheListHiddenAddsNothing)
{
    connect({});
    poll();
    typeKey(Qt::Key_F2);
    EXPECT_EQ(lineCount(), 0);
}

TEST_F(CaptureTest, AutomaticCaptureNeedsTheBoxAndRunsInTheCycleThatLosesTheLink)
{
    connect({"/D"});
    pollAt(10000);
    EXPECT_EQ(lineCount(), 0); // box unticked
    captureEvery(100);
    ports.unplug("vcom0");
    pollAt(20000); // link lost: an empty read-out is skipped, the interval restarts
    EXPECT_EQ(lineCount(), 0);
    ports.replug("vcom0");
    search();
    pollAt(20100);
    EXPECT_EQ(lineCount(), 0);
    pollAt(20101);
    EXPECT_EQ(lineCount(), 1);
}

TEST_F(CaptureTest, FullListStopsTheAutomaticCapture)
{
    connect({"/D"});
    captureEvery(100);
    fill(TCaptureList::kMaxCaptureLines - 1);
    pollAt(6000);
    EXPECT_EQ(lineCount(), TCaptureList::kMaxCaptureLines);
    EXPECT_TRUE(form->controls().cbAutoCapture->isChecked());
    pollAt(7000);
    EXPECT_EQ(lineCount(), TCaptureList::kMaxCaptureLines);
    EXPECT_FALSE(form->controls().cbAutoCapture->isChecked());
}

TEST_F(CaptureTest, CtrlShiftDTogglesTheListWhichKeepsItsLines)
{
    connect({});
    poll();
    typeKey(Qt::Key_D, kCtrlShift);
    ASSERT_TRUE(form->controls().DataPanel->isVisibleTo(form.get()));
    EXPECT_EQ(form->controls().DataPanel->x(), form->controls().GPanel->width() - 185);
    typeKey(Qt::Key_F2);
    typeKey(Qt::Key_D, kCtrlShift);
    EXPECT_FALSE(form->controls().DataPanel->isVisibleTo(form.get()));
    EXPECT_FALSE(form->session().options().AutoCapture);
    typeKey(Qt::Key_D, kCtrlShift);
    EXPECT_EQ(form->session().captureList().lines(), QStringList({"0.000"}));
}

TEST_F(CaptureTest, CtrlShiftCommandsNeedExactlyCtrlAndShiftAtTheLettersRelease)
{
    connect({});
    QWidget* target = keyTarget();
    for (Qt::KeyboardModifiers other : {Qt::KeyboardModifiers(Qt::ControlModifier),
             Qt::KeyboardModifiers(Qt::ShiftModifier), kCtrlShift | Qt::AltModifier}) {
        typeKey(Qt::Key_D, other);
        typeKey(Qt::Key_A, other);
    }
    // Ctrl let go before the letter.
    QTest::keyPress(target, Qt::Key_D, kCtrlShift);
    QTest::keyRelease(target, Qt::Key_D, Qt::ShiftModifier);
    // Auto-repeat releases while the letter is held.
    QKeyEvent repeated(QEvent::KeyRelease, Qt::Key_D, kCtrlShift, "d", true);
    QApplication::sendEvent(target, &repeated);
    EXPECT_FALSE(form->session().options().AutoCapture);
    EXPECT_TRUE(form->recordingOptionsVisible());

    typeKey(Qt::Key_A, kCtrlShift);
    EXPECT_FALSE(form->recordingOptionsVisible());
    typeKey(Qt::Key_A, kCtrlShift);
    EXPECT_TRUE(form->recordingOptionsVisible());
}
