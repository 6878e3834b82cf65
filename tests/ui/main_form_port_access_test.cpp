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

// Another program holds the port (or a killed one left it exclusive).
TEST_F(MainFormTest, BusyPortShowsTheCodeWithAnExplanationAndTellsStderrOnce)
{
    ports.plug("vcom0", CounterDevice());
    ports.setBusy("vcom0", true);
    start();
    testing::internal::CaptureStderr();
    search();
    search();
    const QString stderrText = QString::fromStdString(testing::internal::GetCapturedStderr());
    const TPanel* status = form->controls().StPanel2;
    EXPECT_EQ(status->text(), "Last Error: " + QString::number(EBUSY));
    EXPECT_TRUE(status->toolTip().startsWith("Cannot open vcom0 (")) << status->toolTip().toStdString();
    EXPECT_TRUE(status->toolTip().contains("): the port is busy: another program holds it."));
    EXPECT_EQ(stderrText.count("the port is busy: another program holds it"), 1) << stderrText.toStdString();
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
