// What the window shows of the search and the connection, against in-process
// fake interfaces (what a search connects: tests/acquisition/poll_loop_test.cpp).
#include "ui/main_form_fixture.h"

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <cerrno>

using namespace k740;

TEST_F(MainFormTest, WithoutCandidatesTheSearchRepeatsEverySecond)
{
    start();
    EXPECT_EQ(form->controls().StPanel2->text(), "K740 not detected");
    search();
    EXPECT_TRUE(form->session().notConnected());
    EXPECT_EQ(form->controls().StPanel2->text(), "K740 not detected");
    EXPECT_TRUE(loop->searching());
    EXPECT_EQ(loop->searchInterval(), 1000);
    EXPECT_EQ(form->controls().StPanel3->text(), "Searching for interfaces...");
    form->BlinkTriggerTimer();
    EXPECT_TRUE(form->controls().StPanel3->text().isEmpty());
}

TEST_F(MainFormTest, OneInterfaceConnectsWithoutDialogAndShowsItsIdentity)
{
    ports.plug("vcom0", CounterDevice());
    start();
    search();
    ASSERT_FALSE(form->session().notConnected());
    EXPECT_EQ(form->controls().StPanel2->text(), " K740-9Q V1.17 on vcom0");
    EXPECT_EQ(form->session().identity().InterfaceKind, TInterfaceKind::Counting);
    EXPECT_TRUE(form->session().identity().ExtendedInterface);
    EXPECT_EQ(form->session().identity().FirmwareVersion, 117);
    EXPECT_TRUE(loop->cycling());
    EXPECT_FALSE(loop->searching());
    EXPECT_TRUE(settingsForm->controls().InfoPanel->text().endsWith(" / K740-9Q V1.17"));
    EXPECT_EQ(settingsForm->controls().cbAutoSave->toolTip(), "File name: " + programDir() + "K740_vcom0.LOG");
}

TEST_F(MainFormTest, UnsupportedBissInterfaceWarnsOnceThenRetriesSilently)
{
    TDeviceConfig biss = CounterDevice();
    biss.KindLetter = 'B';
    ports.plug("vcom0", biss);
    start();
    QString shownText;
    answerModals([&](QWidget* modal) {
        if (auto* box = qobject_cast<QMessageBox*>(modal))
            shownText = box->text();
        static_cast<QDialog*>(modal)->reject();
    });
    search();
    search();
    search();
    EXPECT_EQ(modalsAnswered, 1);
    EXPECT_EQ(shownText, "K740-9B BiSS interface is not supported.\r\n");
    EXPECT_TRUE(form->session().notConnected());
}

TEST_F(MainFormTest, TwoInterfacesAskTheUserAndCancelAsksAgainNextTime)
{
    ports.plug("vcom0", CounterDevice());
    ports.plug("vcom1", CounterDevice());
    start();
    QStringList offered;
    answerModals([&](QWidget* modal) {
        if (modal == comPortForm.get()) {
            offered = comPortForm->items();
            comPortForm->reject();
        }
    });
    search();
    EXPECT_EQ(offered, QStringList({"vcom0", "vcom1"}));
    EXPECT_TRUE(form->session().notConnected());
    search();
    EXPECT_EQ(modalsAnswered, 2);
}

TEST_F(MainFormTest, OkWithoutSelectionKeepsTheDialogOpen)
{
    ports.plug("vcom0", CounterDevice());
    ports.plug("vcom1", CounterDevice());
    start();
    answerModals([&](QWidget* modal) {
        if (modal != comPortForm.get())
            return;
        if (comPortForm->itemIndex() < 0 && modalsAnswered == 1) {
            comPortForm->Button1Click(); // nothing selected: stays open
            comPortForm->setItemIndex(1);
            return;
        }
        comPortForm->Button1Click();
    });
    search();
    ASSERT_FALSE(form->session().notConnected());
    EXPECT_EQ(form->session().identity().PortName, "vcom1");
}

TEST_F(MainFormTest, SerialFilterPicksTheMatchingInterfaceWithoutDialog)
{
    TDeviceConfig first = CounterDevice();
    first.Serial2 = "1111";
    TDeviceConfig second = CounterDevice();
    second.Serial2 = "ab22";
    ports.plug("vcom0", first);
    ports.plug("vcom1", second);
    start({"/r=AB2"});
    answerModals([&](QWidget* modal) { static_cast<QDialog*>(modal)->reject(); });
    search();
    EXPECT_EQ(modalsAnswered, 0);
    ASSERT_FALSE(form->session().notConnected());
    EXPECT_EQ(form->session().identity().PortName, "vcom1");
    EXPECT_EQ(form->controls().StPanel2->text(), " K740-9Q V1.17 (AB2) on vcom1");
}

TEST_F(MainFormTest, UnplugShowsNotDetectedAndReplugReconnects)
{
    ports.plug("vcom0", CounterDevice());
    start();
    search();
    ASSERT_FALSE(form->session().notConnected());
    poll();
    EXPECT_FALSE(form->controls().PosPanel->text().isEmpty());

    ports.unplug("vcom0");
    poll();
    EXPECT_TRUE(form->session().notConnected());
    EXPECT_EQ(form->controls().StPanel2->text(), "K740 not detected");
    EXPECT_TRUE(form->controls().PosPanel->text().isEmpty());
    EXPECT_FALSE(loop->cycling());
    EXPECT_TRUE(loop->searching());

    search();
    EXPECT_TRUE(form->session().notConnected());
    ports.replug("vcom0");
    search();
    EXPECT_FALSE(form->session().notConnected());
    EXPECT_EQ(form->controls().StPanel2->text(), " K740-9Q V1.17 on vcom0");
}
