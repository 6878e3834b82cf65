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
    EXPECT_TRUE(status->toolTip().isEmpty());
}

TEST_F(MainFormTest, OtherOpenFailuresShowOnlyTheCode)
{
    ports.plug("vcom0", CounterDevice());
    ports.setBusy("vcom0", true);
    start();
    search();
    EXPECT_EQ(form->controls().StPanel2->text(), "Last Error: " + QString::number(EBUSY));
    EXPECT_TRUE(form->controls().StPanel2->toolTip().isEmpty());
}
