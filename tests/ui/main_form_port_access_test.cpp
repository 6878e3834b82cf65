// A port that cannot be opened for lack of permission.
#include "ui/main_form_fixture.h"

#include <QLabel>
#include <cerrno>

TEST_F(MainFormTest, PermissionDeniedShowsTheCodeWithAHintAndTellsStderrOnce)
{
    ports.plug("vcom0", CounterDevice());
    ports.setOpenError("vcom0", EACCES);
    start();
    testing::internal::CaptureStderr();
    search();
    search();
    const std::string stderrText = testing::internal::GetCapturedStderr();
    const TPanel* status = form->controls().StPanel2;
    EXPECT_EQ(status->text(), "Last Error: 13");
    EXPECT_TRUE(status->toolTip().contains("vcom0")) << status->toolTip().toStdString();
    EXPECT_TRUE(status->toolTip().contains("usermod -aG"));
    EXPECT_EQ(QString::fromStdString(stderrText).count("usermod -aG"), 1) << stderrText;

    ports.setOpenError("vcom0", 0);
    search();
    EXPECT_FALSE(form->session().notConnected());
    EXPECT_FALSE(status->toolTip().contains("usermod")); // the link's figures now
}

// A port another program holds says so, with the holder where it is known;
// other failures show only the code.
TEST_F(MainFormTest, PortInUseSaysSoAndOtherOpenFailuresShowOnlyTheCode)
{
    ports.plug("vcom0", CounterDevice());
    ports.setBusy("vcom0", true, 4321);
    start();
    testing::internal::CaptureStderr();
    search();
    const TPanel* status = form->controls().StPanel2;
    EXPECT_TRUE(form->session().notConnected());
    EXPECT_EQ(status->text(), "Last Error: " + QString::number(EBUSY));
    EXPECT_EQ(status->toolTip(), "vcom0 is in use by another program (process 4321); it is tried again every second.");
    ports.setBusy("vcom0", false);
    ports.setOpenError("vcom0", EIO);
    search();
    EXPECT_EQ(status->text(), "Last Error: " + QString::number(EIO));
    EXPECT_TRUE(status->toolTip().isEmpty());
}

// The link's figures become the hint at most once a second; a permission
// problem found by a later search has precedence.
TEST_F(MainFormTest, ConnectionHintShowsTheLinkFiguresOnceASecond)
{
    FakeClock clock(5000);
    ports.plug("vcom0", CounterDevice());
    start();
    search();
    const TPanel* status = form->controls().StPanel2;
    EXPECT_EQ(status->toolTip(), "0.0 polls/s \u00B7 0 frames \u00B7 0 CRC failed \u00B7 0 time-outs");
    poll(2);
    EXPECT_TRUE(status->toolTip().contains(" 0 frames")) << status->toolTip().toStdString();
    clock.now += 1000;
    poll();
    EXPECT_TRUE(status->toolTip().contains(" 3 frames")) << status->toolTip().toStdString();

    ports.unplug("vcom0");
    poll();
    ports.replug("vcom0");
    ports.setOpenError("vcom0", EACCES);
    clock.now += 1000;
    search();
    EXPECT_TRUE(status->toolTip().contains("usermod -aG")) << status->toolTip().toStdString();
}
