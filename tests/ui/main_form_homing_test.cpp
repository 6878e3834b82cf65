// HOME on plain and distance-coded reference marks, Esc, and link loss
// while homing, against an in-process counting interface.
#include "ui/main_form_fixture.h"

#include "platform/tick_counter.h"
#include "ui/widgets/panel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>

using namespace k740;

namespace {
const char kDcrIni[] = "[K740.vcom0]\nDCR=1\nNominalIncr=1000\nCPP=20\nCPM=1000\n";
} // namespace

class HomingTest : public MainFormTest {
protected:
    // Moves the encoder in steps of `step` counts, polling after each, until
    // homing ends or `limit` steps were taken.
    void travelUntilHomed(int64_t step, int limit = 2000)
    {
        for (int i = 0; i < limit && form->session().homing().Homing; ++i) {
            device->setPosition(device->truePosition() + step);
            poll();
        }
    }
    int64_t shownCount() const
    {
        return RelativePosition(form->session().homing(), form->session().lastFrame().Position);
    }
    // A counting interface with a plain reference mark every `refEvery`
    // counts, at `position`, connected and polled once.
    void connectPlain(int64_t refEvery, int64_t position)
    {
        TDeviceConfig config = CounterDevice();
        config.RefEvery = refEvery;
        config.Position = position;
        device = ports.plug("vcom0", config);
        writeIni("[K740.vcom0]\nCPM=1000\n");
        start();
        search();
        poll();
    }
    // A counting interface on a distance-coded scale (N 1000, 20 counts per
    // period) whose count reads 0 at `origin`, connected with settings `ini`
    // (by default, ones that say so).
    void connectDistanceCoded(const QStringList& arguments = {}, int64_t origin = 0, const char* ini = kDcrIni)
    {
        TDeviceConfig config = CounterDevice();
        config.DcrNominal = 1000;
        config.DcrCountsPerPeriod = 20;
        config.Position = 30100;
        config.CountOrigin = origin;
        device = ports.plug("vcom0", config);
        writeIni(ini);
        start(arguments);
        search();
    }

    // Answers every settings dialog: `edit`, then OK.
    void okSettingsWith(const std::function<void(const TSettingsFormControls&)>& edit)
    {
        dialogEdit = edit;
        if (!modalWatcher.isActive())
            answerModals([this](QWidget* modal) {
                if (auto* dialog = qobject_cast<TSettingsForm*>(modal)) {
                    dialogEdit(dialog->controls());
                    dialog->controls().BtnOK->click();
                }
            });
        form->StPanel3DblClick();
    }

    std::shared_ptr<TDeviceModel> device;
    std::function<void(const TSettingsFormControls&)> dialogEdit;
};

TEST_F(HomingTest, PlainHomingSetsZeroAtTheNextMark)
{
    connectPlain(1000, 500);
    EXPECT_EQ(form->controls().PosPanel->text(), "0.500");

    form->bbZeroRefClick();
    EXPECT_TRUE(form->session().homing().Homing);
    EXPECT_EQ(form->controls().RefPanel->text(), "0.000");
    EXPECT_FALSE(form->controls().bbZeroRef->isEnabled());
    EXPECT_FALSE(form->controls().bbZero->isEnabled());

    device->setPosition(1000);
    poll();
    EXPECT_FALSE(form->session().homing().Homing);
    EXPECT_EQ(form->session().homing().ZeroOffset, 1000);
    EXPECT_EQ(form->controls().RefPanel->text(), "0.000");
    EXPECT_TRUE(form->controls().TrigTimer->isActive());
    EXPECT_TRUE(form->controls().bbZeroRef->isEnabled());
    EXPECT_TRUE(form->controls().bbZero->isEnabled());
    poll();
    EXPECT_EQ(form->controls().PosPanel->text(), "0.000");
    device->setPosition(1250);
    poll();
    EXPECT_EQ(form->controls().PosPanel->text(), "0.250");

    // The next mark comes within the flash: it shows, but does not prolong it.
    const int flash = form->controls().TrigTimer->timerId();
    device->setPosition(2000);
    poll();
    EXPECT_EQ(form->controls().RefPanel->text(), "1.000");
    EXPECT_EQ(form->controls().TrigTimer->timerId(), flash);
}

TEST_F(HomingTest, PlainHomingKeepsTheReadOutWhileWaitingAndEscRestores)
{
    connectPlain(100000, 700);
    form->bbZeroRefClick();
    device->setPosition(900);
    poll();
    EXPECT_EQ(form->controls().PosPanel->text(), "0.700"); // not updated while homing
    form->BlinkTriggerTimer();
    EXPECT_TRUE(form->controls().PosPanel->text().isEmpty());
    form->BlinkTriggerTimer();
    EXPECT_EQ(form->controls().PosPanel->text(), "0.700");

    typeKey(Qt::Key_Escape);
    EXPECT_FALSE(form->session().homing().Homing);
    EXPECT_EQ(form->session().homing().ZeroOffset, 0);
    EXPECT_TRUE(form->controls().bbZeroRef->isEnabled());
    poll();
    EXPECT_EQ(form->controls().PosPanel->text(), "0.900");
}

TEST_F(HomingTest, DistanceCodedHomingFindsTheTruePositionTravellingUp)
{
    connectDistanceCoded();
    ASSERT_TRUE(form->session().homing().Homing); // distance-coded search starts at connection
    EXPECT_FALSE(form->controls().bbZero->isVisibleTo(form.get()));
    travelUntilHomed(100);
    ASSERT_FALSE(form->session().homing().Homing);
    EXPECT_EQ(form->session().homing().DcrState, TDcrState::Done);
    poll();
    EXPECT_EQ(shownCount(), device->truePosition());
    EXPECT_TRUE(form->controls().bbZeroRef->isEnabled());
}

TEST_F(HomingTest, DistanceCodedHomingFindsTheTruePositionTravellingDown)
{
    connectDistanceCoded();
    travelUntilHomed(-100);
    ASSERT_FALSE(form->session().homing().Homing);
    poll();
    EXPECT_EQ(shownCount(), device->truePosition());
    // The second mark's text shows for one flash, then the panel empties.
    EXPECT_FALSE(form->controls().RefPanel->text().isEmpty());
    form->TrigTimerTimer();
    EXPECT_TRUE(form->controls().RefPanel->text().isEmpty());
}

TEST_F(HomingTest, EscDuringDistanceCodedHomingKeepsTheReadOutRelativeToHome)
{
    connectDistanceCoded();
    poll();
    form->bbZeroRefClick();     // HOME again here: the read-out restarts at 0
    device->setPosition(40100); // past one mark
    poll();
    EXPECT_EQ(form->session().homing().DcrState, TDcrState::SecondMarkAwaited);
    typeKey(Qt::Key_Escape);
    EXPECT_FALSE(form->session().homing().Homing);
    EXPECT_EQ(form->session().homing().RefOffset, 30100);
    EXPECT_TRUE(form->controls().RefPanel->text().isEmpty());
    EXPECT_FALSE(form->controls().bbZero->isEnabled());
    poll();
    EXPECT_EQ(shownCount(), 10000);
}

TEST_F(HomingTest, LinkLossWhileHomingClearsItAndReconnectionReenablesTheButtons)
{
    connectPlain(100000, 0);
    form->bbZeroRefClick();
    ports.unplug("vcom0");
    poll();
    EXPECT_FALSE(form->session().homing().Homing);
    EXPECT_EQ(form->session().homing().ZeroOffset, 0);
    ports.replug("vcom0");
    search();
    ASSERT_FALSE(form->session().notConnected());
    EXPECT_TRUE(form->controls().bbZeroRef->isEnabled());
    EXPECT_TRUE(form->controls().bbZero->isEnabled());
}

TEST_F(HomingTest, LayoutEditModeGivesUpHomingAfterTwentySeconds)
{
    FakeClock clock(0xFFFFF000u); // close to the wrap of the tick counter
    uint32_t& now = clock.now;
    connectDistanceCoded({"/E"});
    ASSERT_TRUE(form->session().homing().Homing);
    now += 20000;
    form->BlinkTriggerTimer();
    EXPECT_TRUE(form->session().homing().Homing);
    now += 1;
    form->BlinkTriggerTimer();
    EXPECT_FALSE(form->session().homing().Homing);
    EXPECT_TRUE(form->controls().bbZeroRef->isEnabled());
}

TEST_F(HomingTest, WithoutLayoutEditModeHomingWaitsForAMark)
{
    FakeClock clock(1000);
    uint32_t& now = clock.now;
    connectDistanceCoded();
    now += 60000;
    form->BlinkTriggerTimer();
    EXPECT_TRUE(form->session().homing().Homing);
}

// The reference found from the marks stays through an OK that changes
// nothing it depends on, and goes visibly with one that does: the reference
// read-out empty, HOME offered.
TEST_F(HomingTest, OkKeepsTheReferenceUnlessASettingItDependsOnChanged)
{
    using Edit = std::function<void(const TSettingsFormControls&)>;
    const std::pair<Edit, bool> cases[] = {
        {[](const TSettingsFormControls&) {}, false},
        {[](const TSettingsFormControls& c) { c.rbUnitInch->click(); }, false},
        {[](const TSettingsFormControls& c) { c.cmbResolution->setCurrentIndex(c.cmbResolution->currentIndex() + 1); },
            true},
        {[](const TSettingsFormControls& c) { c.cbInvertDir->click(); }, true},
        {[](const TSettingsFormControls& c) { c.rbRotary->click(); }, true},
    };
    for (const auto& [edit, lost] : cases) {
        connectDistanceCoded({}, 5000);
        travelUntilHomed(100);
        form->controls().TrigTimer->stop(); // the mark's text stays
        const int64_t reference = form->session().homing().RefOffset;
        ASSERT_NE(reference, 0);
        ASSERT_FALSE(form->controls().RefPanel->text().isEmpty());
        okSettingsWith(edit);
        EXPECT_EQ(form->session().homing().RefOffset, lost ? 0 : reference);
        EXPECT_EQ(form->controls().RefPanel->text().isEmpty(), lost);
        EXPECT_TRUE(form->controls().bbZeroRef->isEnabled());
        EXPECT_FALSE(form->session().homing().Homing); // distance coding stayed on
    }
}

TEST_F(HomingTest, SwitchingDistanceCodedMarksOnStartsTheReferenceSearchOnce)
{
    connectDistanceCoded({}, 0, "[K740.vcom0]\nNominalIncr=1000\nCPP=20\nCPM=1000\n"); // marks not yet on
    ASSERT_FALSE(form->session().homing().Homing);
    okSettingsWith([](const TSettingsFormControls& c) { c.rbDCR->click(); });
    EXPECT_TRUE(form->session().homing().Homing);
    EXPECT_FALSE(form->controls().bbZeroRef->isEnabled());
    typeKey(Qt::Key_Escape);
    ASSERT_FALSE(form->session().homing().Homing);
    okSettingsWith([](const TSettingsFormControls&) {});
    EXPECT_FALSE(form->session().homing().Homing);
    EXPECT_TRUE(form->session().activeSettings().DCR);
}
