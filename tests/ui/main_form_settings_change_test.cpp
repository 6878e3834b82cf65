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
    ASSERT_TRUE(loop->cycling());
    form->StPanel3DblClick();
    EXPECT_EQ(modalsAnswered, 1);
    EXPECT_TRUE(loop->cycling());
    EXPECT_TRUE(form->session().activeSettings().ShowRefMarks); // opening outside "/E" sets it
    EXPECT_FALSE(form->session().storedSettings().ShowRefMarks);
    EXPECT_EQ(readFile("K740.INI"), file);
}

// The dialog's modal loop runs after the double click's event has returned;
// a second double click while it is open opens nothing more.
TEST_F(MainFormTest, SummaryDoubleClickOpensTheDialogAfterItsEvent)
{
    ports.plug("vcom0", CounterDevice());
    start();
    search();
    answerModals([this](QWidget* modal) {
        if (modalsAnswered == 1) {
            QTest::mouseDClick(form->controls().StPanel3, Qt::LeftButton); // arrives while it is open
            QTest::mouseRelease(form->controls().StPanel3, Qt::LeftButton);
        } else
            Close(modal, false);
    });
    QTest::mouseDClick(form->controls().StPanel3, Qt::LeftButton);
    QTest::mouseRelease(form->controls().StPanel3, Qt::LeftButton); // mouseDClick ends on the press
    EXPECT_EQ(modalsAnswered, 0);                                   // not opened inside the event
    ASSERT_TRUE(QTest::qWaitFor([this] { return modalsAnswered == 2 && !QApplication::activeModalWidget(); }));
    QTest::qWait(100);
    EXPECT_EQ(modalsAnswered, 2);
    EXPECT_TRUE(loop->cycling());
    // Enter on the summary, when it has the keyboard, does the same.
    form->controls().StPanel3->setFocus();
    QTest::keyClick(form->controls().StPanel3, Qt::Key_Enter);
    EXPECT_EQ(modalsAnswered, 2);
    EXPECT_TRUE(QTest::qWaitFor([this] { return modalsAnswered == 3; }));
}

TEST_F(MainFormTest, InterfaceLostWhileTheDialogIsOpenGoesBackToTheSearch)
{
    ports.plug("vcom0", SsiDevice(0, 13, 2));
    writeIni("[K740.vcom0]\nSSIBits=13\nSSIStatusBits=2\n");
    start();
    search();
    poll();
    QStringList messages;
    answerModals([this, &messages](QWidget* modal) {
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            messages.append(box->text());
            box->accept();
            return;
        }
        ports.unplug("vcom0");
        Close(modal, true);
    });
    form->StPanel3DblClick();
    EXPECT_TRUE(readFile("K740.INI").contains("SSIBits=13\n"));
    EXPECT_EQ(messages,
        QStringList("Configuring the interface failed: \"B15\" could not be sent (no port); the "
                    "interface keeps its previous setting."));
    poll();
    EXPECT_TRUE(form->session().notConnected());
    EXPECT_EQ(form->controls().StPanel2->text(), "K740 not detected");
    EXPECT_TRUE(loop->searching());
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

namespace {
// What an OK could change: the settings in force (the frame kind with them),
// the run's options, the offsets and the search, the row and both read-outs.
QStringList State(const TMainForm& form)
{
    const TInterfaceSession& s = form.session();
    QStringList state;
    ForEachSettingsField([&](const char* name, auto field) {
        const auto& value = s.activeSettings().*field;
        if constexpr (std::is_arithmetic_v<std::decay_t<decltype(value)>>) // the layout is the window's
            state << QStringLiteral("%1=%2").arg(name, QString::number(value));
    });
    const TRowState& row = s.row();
    for (const bool flag : {s.options().AutoCapture, s.options().AutoSave, s.homing().Homing, row.ZeroVisible,
             row.ZeroEnabled, row.HomeVisible, row.HomeEnabled, row.RefReadOutVisible})
        state << QString::number(flag);
    state << QString::number(s.homing().ZeroOffset) << QString::number(s.homing().RefOffset) << s.readOutText()
          << s.refReadOutText();
    return state;
}
} // namespace

// Opening the dialog and pressing OK changes nothing, also where the stored
// section holds what the dialog's controls cannot show.
TEST_F(MainFormTest, OkWithoutAnEditChangesNothing)
{
    TDeviceConfig scale = CounterDevice(); // distance-coded marks, N 1000, 20 counts per period
    scale.DcrNominal = 1000;
    scale.DcrCountsPerPeriod = 20;
    scale.Position = 30100;
    scale.CountOrigin = 5000;
    const std::tuple<const char*, TDeviceConfig, QString, QStringList> rows[] = {
        {"a CPM in no row", CounterDevice(), "CPM=2.5\n", {}},
        {"CPR 2", SsiDevice(0, 13, 0), "Rotary=1\nCPR=2\nDegrees=1\n", {}},
        {"CPR 4", SsiDevice(0, 13, 0), "Rotary=1\nCPR=4\n", {}},
        {"custom 2^20, 12 multiturn bits", SsiDevice(12, 20, 0),
            "Rotary=1\nCPR=1048576\nCustom=1048576\nMultiturnBits=12\nSSIBits=8\n", {}},
        {"linear, stale multiturn bits", SsiDevice(0, 24, 0), "MultiturnBits=12\n", {}},
        {"/D", CounterDevice(), "", {"/D"}},
        {"homed on distance-coded marks", scale, "DCR=1\nNominalIncr=1000\nCPP=20\n", {}},
    };
    answerModals([](QWidget* modal) { Close(modal, true); });
    for (const auto& [what, device, ini, arguments] : rows) {
        const auto interface = ports.plug("vcom0", device);
        writeIni("[K740.vcom0]\n" + ini);
        start(arguments);
        search();
        poll();
        for (int i = 0; i < 2000 && form->session().homing().Homing; ++i) {
            interface->setPosition(interface->truePosition() + 100);
            poll();
        }
        ASSERT_FALSE(form->session().homing().Homing) << what;
        form->TrigTimerTimer(); // the flash of the reference read-out ends
        poll();
        const QStringList before = State(*form);
        form->StPanel3DblClick();
        poll();
        EXPECT_EQ(State(*form), before) << what;
    }
    EXPECT_EQ(modalsAnswered, 7);
}
