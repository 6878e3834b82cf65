// Status colour, the extended status bar and bad frames, against in-process
// interfaces.
#include "ui/main_form_fixture.h"

#include "ui/widgets/panel.h"

#include <QTest>

using namespace k740;

namespace {
const QColor kGreen(0, 128, 0);
const QColor kOrange(255, 153, 0);
const QColor kRed(255, 0, 0);

QColor colourOf(const TPanel* panel)
{
    return panel->palette().color(QPalette::Window);
}

TDeviceConfig BissDevice()
{
    TDeviceConfig config;
    config.KindLetter = 'S';
    config.Encoder = TEncoderKind::Biss;
    config.Layout.PositionBits = 26;
    config.Layout.StatusBits = 2;
    config.Position = 1193046;
    return config;
}

const char kBissIni[] = "[K740.vcom0]\nRotary=1\nCPR=67108864\nBiSS=1\nSSIStatusBits=2\nCRCBits=6\n"
                        "ShowStatusColor=1\nShowStatusBits=1\n";
} // namespace

// Pins, serial number and supply shown in the extended status bar.
class ExtendedStatusTest : public MainFormTest {
protected:
    std::shared_ptr<TDeviceModel> connectShowingExtendedData(const TDeviceConfig& config)
    {
        auto device = ports.plug("vcom0", config);
        writeIni("[K740.vcom0]\nShowExtendedData=1\n");
        start();
        search();
        poll();
        return device;
    }
};

TEST_F(MainFormTest, StatusColourFollowsActiveHighBitsAndFrameChecks)
{
    auto device = ports.plug("vcom0", BissDevice());
    writeIni(kBissIni);
    start();
    search();
    ASSERT_FALSE(form->session().notConnected());
    EXPECT_TRUE(form->controls().pColorStatus->isVisibleTo(form.get()));
    const QList<std::pair<uint32_t, QColor>> cases{{0, kGreen}, {1, kOrange}, {2, kRed}, {3, kRed}};
    for (const auto& [status, colour] : cases) {
        device->setStatus(status);
        poll();
        EXPECT_EQ(colourOf(form->controls().pColorStatus), colour) << status;
    }
    EXPECT_EQ(form->controls().ExtStPanel1->text(), "Status: 11");
    EXPECT_EQ(form->controls().PosPanel->text(), "1193046");

    device->setStatus(0);
    device->setFault(TDeviceFault::CrcError);
    poll();
    EXPECT_EQ(form->controls().PosPanel->text(), "CRC check failed");
    EXPECT_EQ(colourOf(form->controls().pColorStatus), kRed);
    device->setFault(TDeviceFault::AllOnes);
    poll();
    EXPECT_EQ(form->controls().PosPanel->text(), "- - - - - -");
    EXPECT_EQ(colourOf(form->controls().pColorStatus), kRed);
    device->setFault(TDeviceFault::NonHex);
    poll();
    EXPECT_EQ(form->controls().PosPanel->text(), "- - - - - -");
    device->setFault(TDeviceFault::None);
    poll();
    EXPECT_EQ(form->controls().PosPanel->text(), "1193046");
    EXPECT_EQ(colourOf(form->controls().pColorStatus), kGreen);
}

TEST_F(MainFormTest, ActiveLowStatusBitsAreInvertedBeforeColouring)
{
    TDeviceConfig config = BissDevice();
    config.StatusActiveLow = true;
    auto device = ports.plug("vcom0", config);
    writeIni(QString(kBissIni) + "StatusActiveLow=1\n");
    start();
    search();
    // The device sends the meant bits inverted: meant 0 arrives as 11.
    const QList<std::pair<uint32_t, QColor>> cases{{0, kGreen}, {1, kOrange}, {2, kRed}, {3, kRed}};
    for (const auto& [meant, colour] : cases) {
        device->setStatus(meant);
        poll();
        EXPECT_EQ(colourOf(form->controls().pColorStatus), colour) << meant;
    }
}

TEST_F(ExtendedStatusTest, ExtendedStatusBarShowsPinsSerialAndSupply)
{
    TDeviceConfig config = CounterDevice();
    config.Serial = "ab 12:34";
    config.Firmware = "1.16";
    config.Pins = "101";
    config.SupplyReadings = "5,02 V:85.3 mA";
    connectShowingExtendedData(config);
    EXPECT_TRUE(form->controls().ExtStPanel1->isVisibleTo(form.get()));
    EXPECT_EQ(form->controls().ExtStPanel1->text(), "Pins: 101");
    EXPECT_EQ(form->controls().ExtStPanel2->text().trimmed(), "SN: AB12-34");
    EXPECT_EQ(form->controls().ExtStPanel3->text(), "5.02 V / 85 mA");
    // Firmware 1.16 offers no second serial number.
    form->ExtStPanel2DblClick();
    EXPECT_FALSE(form->session().identity().SecondSerial);
}

// The supply switches from the keyboard too: Tab reaches the field, Space
// runs its command, and the field shows the new state (which command goes
// out for which state: SessionTest.SupplySwitchFollowsTheLastSupplyReply).
TEST_F(ExtendedStatusTest, SupplySwitchRunsFromTheKeyboardAndShowsTheState)
{
    auto device = connectShowingExtendedData(CounterDevice());
    TPanel* supply = form->controls().ExtStPanel3;
    form->show();
    for (int presses = 0; presses < 6 && form->focusWidget() != supply; ++presses)
        typeKey(Qt::Key_Tab);
    ASSERT_TRUE(device->supplyOn());
    typeKey(Qt::Key_Space);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !device->supplyOn(); }));
    poll();
    EXPECT_EQ(supply->text(), "Switched Off");
}

TEST_F(ExtendedStatusTest, SecondSerialNumberIsChosenByDoubleClick)
{
    TDeviceConfig config = CounterDevice();
    config.Serial = "1:2";
    config.Serial2 = "x 9";
    connectShowingExtendedData(config);
    EXPECT_EQ(form->controls().ExtStPanel2->text().trimmed(), "SN: X9");
    form->ExtStPanel2DblClick();
    poll();
    EXPECT_EQ(form->controls().ExtStPanel2->text().trimmed(), "SN#2: 1-2");
}

TEST_F(MainFormTest, WithoutExtendedDataTheFieldsStayHidden)
{
    ports.plug("vcom0", CounterDevice());
    start();
    search();
    poll();
    EXPECT_FALSE(form->controls().ExtStPanel1->isVisibleTo(form.get()));
    EXPECT_FALSE(form->controls().ExtStPanel2->isVisibleTo(form.get()));
    EXPECT_FALSE(form->controls().ExtStPanel3->isVisibleTo(form.get()));
    EXPECT_FALSE(form->controls().pColorStatus->isVisibleTo(form.get()));
}
