// The settings change cycle from the main window: when the dialog opens,
// what Cancel and OK leave behind, and an interface lost meanwhile.
#include "ui/main_form_fixture.h"

#include <QCheckBox>
#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

using namespace k740;

namespace {
// Closes every settings dialog that opens, with OK or Cancel.
void Close(QWidget* modal, bool ok)
{
    if (auto* dialog = qobject_cast<TSettingsForm*>(modal))
        (ok ? dialog->controls().BtnOK : dialog->controls().BtnCancel)->click();
}
} // namespace

TEST_F(MainFormTest, CancelLeavesPollingTheSettingsAndTheFileAsTheyWere)
{
    ports.plug("vcom0", CounterDevice());
    writeIni("[K740.vcom0]\nDCR=1\nShowRefMarks=0\n");
    start();
    answerModals([](QWidget* modal) { Close(modal, false); });
    form->StPanel3DblClick(); // "K740 not detected": nothing to edit
    EXPECT_EQ(modalsAnswered, 0);

    search();
    const QString file = readFile("K740.INI");
    ASSERT_TRUE(form->controls().LoopTimer->isActive());
    form->StPanel3DblClick();
    EXPECT_EQ(modalsAnswered, 1);
    EXPECT_TRUE(form->controls().LoopTimer->isActive());
    EXPECT_TRUE(form->session().activeSettings().ShowRefMarks); // opening outside "/E" sets it
    EXPECT_FALSE(form->session().storedSettings().ShowRefMarks);
    EXPECT_EQ(readFile("K740.INI"), file);

    form->controls().LoopTimer->stop();
    form->StPanel3DblClick();
    EXPECT_FALSE(form->controls().LoopTimer->isActive());
}

// The dialog's modal loop runs after the double click's event has returned;
// a second double click while it is open opens nothing more.
TEST_F(MainFormTest, SummaryDoubleClickOpensTheDialogAfterItsEvent)
{
    ports.plug("vcom0", CounterDevice());
    start();
    search();
    answerModals([this](QWidget* modal) {
        if (modalsAnswered == 1)
            QTest::mouseDClick(form->controls().StPanel3, Qt::LeftButton); // arrives while it is open
        else
            Close(modal, false);
    });
    QTest::mouseDClick(form->controls().StPanel3, Qt::LeftButton);
    EXPECT_EQ(modalsAnswered, 0); // not opened inside the event
    ASSERT_TRUE(QTest::qWaitFor([this] { return modalsAnswered == 2 && !QApplication::activeModalWidget(); }));
    QTest::qWait(100);
    EXPECT_EQ(modalsAnswered, 2);
    EXPECT_TRUE(form->controls().LoopTimer->isActive());
}

TEST_F(MainFormTest, InterfaceLostWhileTheDialogIsOpenGoesBackToTheSearch)
{
    ports.plug("vcom0", SsiDevice(0, 13, 2));
    writeIni("[K740.vcom0]\nSSIBits=13\nSSIStatusBits=2\n");
    start();
    search();
    poll();
    answerModals([this](QWidget* modal) {
        ports.unplug("vcom0");
        Close(modal, true);
    });
    form->StPanel3DblClick();
    EXPECT_TRUE(readFile("K740.INI").contains("SSIBits=13\n"));
    poll();
    EXPECT_TRUE(form->session().notConnected());
    EXPECT_EQ(form->controls().StPanel2->text(), "K740 not detected");
    EXPECT_TRUE(form->controls().initTimer->isActive());
}

TEST_F(MainFormTest, FailedSaveAfterOkIsReportedAndTheNewSettingsStayActive)
{
    ports.plug("vcom0", CounterDevice());
    start();
    search();
    ASSERT_TRUE(QDir(programDir()).mkdir("K740.INI")); // a folder where the file should be
    QStringList messages;
    answerModals([&](QWidget* modal) {
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            messages.append(box->text());
            box->accept();
        } else if (auto* dialog = qobject_cast<TSettingsForm*>(modal)) {
            dialog->controls().cbInvertDir->click();
            dialog->controls().BtnOK->click();
        }
    });
    form->StPanel3DblClick();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0], "cannot write K740.INI: Is a directory; settings not saved");
    EXPECT_TRUE(form->session().activeSettings().InvertDir);
    EXPECT_TRUE(form->controls().StPanel3->text().contains(" / Inverse Direction"));
}
