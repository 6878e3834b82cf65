// The settings dialog's OK against k740-sim on a pseudo-terminal: the window
// runs in this process on the real serial port layer, so the dialog can be
// answered, while the interface is the simulator.
#include "platform/system_port_provider.h"
#include "support/e2e_harness.h"
#include "ui/main_form.h"
#include "ui/settings_form.h"
#include "ui/settings_form_controls.h"
#include "ui/widgets/panel.h"
#include "ui/widgets/up_down.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

using namespace k740;

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Answers the settings dialog once it shows: `edit` changes its controls,
// then OK (or Cancel) is clicked.
void AnswerSettingsDialog(const std::function<void(const TSettingsFormControls&)>& edit, bool ok = true)
{
    auto* watcher = new QTimer(qApp);
    QObject::connect(watcher, &QTimer::timeout, [watcher, edit, ok] {
        auto* dialog = qobject_cast<TSettingsForm*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        watcher->deleteLater();
        edit(dialog->controls());
        (ok ? dialog->controls().BtnOK : dialog->controls().BtnCancel)->click();
    });
    watcher->start(20);
}

// Closes every message box that shows, noting its text, until destroyed.
class MessageBoxAnswerer {
public:
    MessageBoxAnswerer()
    {
        QObject::connect(&watcher, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                texts.append(box->text());
                box->accept();
            }
        });
        watcher.start(20);
    }
    QStringList texts;

private:
    QTimer watcher;
};

// The window on the simulator "vcom0", connected and polled once.
class SettingsChangeE2E : public ::testing::Test {
protected:
    void connect(const QStringList& simArguments, const QByteArray& ini, const QStringList& arguments = {})
    {
        sim = std::make_unique<SimulatorProcess>(vports.path(), "vcom0", simArguments);
        ASSERT_TRUE(sim->ready());
        QFile file(program.path() + "/K740.INI");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(ini);
        file.close();
        qputenv("K740_VPORT_DIR", vports.path().toLocal8Bit());
        session = std::make_unique<TInterfaceSession>(
            ports, TDataFolders::beside(program.path() + "/"), ParseCommandLine(arguments));
        loop = std::make_unique<TPollLoop>(*session);
        form = std::make_unique<TMainForm>(*session, *loop);
        dialog = std::make_unique<TSettingsForm>(form.get());
        form->setDialogs(nullptr, dialog.get());
        loop->initTimerTimer();
        ASSERT_FALSE(session->notConnected());
        loop->LoopTimerTimer();
    }
    ~SettingsChangeE2E() override
    {
        if (form)
            form->FormDestroy();
        dialog.reset();
        qunsetenv("K740_VPORT_DIR");
    }
    QByteArray savedIni() const { return ReadAll(program.path() + "/K740.INI"); }
    // Polls every 10 ms until `done` holds, at most for `timeoutMs`; whether it held.
    bool pollUntil(const std::function<bool()>& done, int timeoutMs = 5000)
    {
        QElapsedTimer clock;
        clock.start();
        while (!done() && !clock.hasExpired(timeoutMs)) {
            loop->LoopTimerTimer();
            QThread::msleep(ulong(form->session().msUntilNextCycle()));
        }
        return done();
    }
    void okSettingsWith(const std::function<void(const TSettingsFormControls&)>& edit)
    {
        AnswerSettingsDialog(edit);
        form->StPanel3DblClick();
    }

    QTemporaryDir vports;
    QTemporaryDir program;
    std::unique_ptr<SimulatorProcess> sim;
    TSystemPortProvider ports;
    std::unique_ptr<TInterfaceSession> session;
    std::unique_ptr<TPollLoop> loop;
    std::unique_ptr<TMainForm> form;
    std::unique_ptr<TSettingsForm> dialog;
};

} // namespace

TEST_F(SettingsChangeE2E, OkSendsTheNewFrameAndWritesTheSection)
{
    connect({"--encoder", "ssi", "--kind", "S", "--bits", "13", "--status-bits", "2"},
        "; bench 3\r\n[K740.vcom0]\r\nSSIBits=13\r\nSSIStatusBits=2\r\n");
    const int before = sim->receivedCommands().size();

    AnswerSettingsDialog([](const TSettingsFormControls& controls) { controls.udPaddingBits->setPosition(2); });
    form->StPanel3DblClick();
    ASSERT_TRUE(loop->cycling());

    const QStringList sent = sim->receivedCommands().mid(before);
    ASSERT_GE(sent.size(), 3);
    EXPECT_EQ(sent.mid(0, 3), QStringList({"B17\\r", "M3", "m"})) << sent.join(' ').toStdString();
    const QByteArray saved = savedIni();
    EXPECT_TRUE(
        saved.startsWith("; bench 3\r\n[K740.vcom0]\r\nSSIBits=13\r\nSSIStatusBits=2\r\nRotary=0\r\nCPR=8192\r\n"))
        << saved.toStdString();
    EXPECT_TRUE(saved.contains("\r\nPaddingBits=2\r\n"));
}

// A stored SSI frame longer than 31 bits but within the budget: OK without
// an edit configures and polls it as before and keeps it in the file.
TEST_F(SettingsChangeE2E, OkWithoutAnEditKeepsALongStoredFrame)
{
    connect({"--encoder", "ssi", "--kind", "S", "--bits", "40"}, "[K740.vcom0]\r\nSSIBits=40\r\n");
    const QStringList atConnection = sim->receivedCommands();
    const QStringList configuration = atConnection.mid(atConnection.indexOf("B31\\r"), 3);
    ASSERT_EQ(configuration.size(), 3) << atConnection.join(' ').toStdString();
    ASSERT_EQ(atConnection.last(), "4"); // the whole frame is captured

    AnswerSettingsDialog([](const TSettingsFormControls&) {});
    form->StPanel3DblClick();
    loop->LoopTimerTimer();

    EXPECT_EQ(sim->receivedCommands().mid(atConnection.size()), configuration + QStringList("4"));
    EXPECT_TRUE(savedIni().contains("[K740.vcom0]\r\nSSIBits=40\r\n")) << savedIni().toStdString();
}

// A reference found from distance-coded marks stays through an OK without an
// edit; one that changes the direction drops it where the user sees it. An
// OK during the search ends it as Esc does: with the distance coding
// switched off the read-out then neither freezes nor zeroes at a mark.
TEST_F(SettingsChangeE2E, HomedReferenceIsKeptOrDroppedVisiblyAndOkEndsASearch)
{
    connect({"--encoder", "counter", "--dcr", "1000:20", "--position", "30100", "--origin", "5000", "--speed", "50000"},
        "[K740.vcom0]\r\nDCR=1\r\nNominalIncr=1000\r\nCPP=20\r\n");
    ASSERT_TRUE(pollUntil([&] { return !form->session().homing().Homing; }));
    const int64_t reference = form->session().homing().RefOffset;
    ASSERT_NE(reference, 0);
    okSettingsWith([](const TSettingsFormControls&) {});
    EXPECT_EQ(form->session().homing().RefOffset, reference);

    okSettingsWith([](const TSettingsFormControls& c) { c.cbInvertDir->click(); });
    EXPECT_EQ(form->session().homing().RefOffset, 0);
    EXPECT_TRUE(form->controls().RefPanel->text().isEmpty());
    EXPECT_TRUE(form->controls().bbZeroRef->isEnabled());

    form->bbZeroRefClick();
    loop->LoopTimerTimer();
    okSettingsWith([](const TSettingsFormControls& c) { c.rbDCR->click(); });
    EXPECT_FALSE(form->session().homing().Homing);
    const int64_t zero = form->session().homing().ZeroOffset;
    const QString before = form->session().readOutText();
    EXPECT_TRUE(pollUntil([&] { return form->session().readOutText() != before; }, 1000));
    EXPECT_TRUE(pollUntil([&] { return !form->controls().RefPanel->text().isEmpty(); })); // a mark passed
    EXPECT_EQ(form->session().homing().ZeroOffset, zero);
}

// A plain mark's position in the reference read-out follows a change of
// unit.
TEST_F(SettingsChangeE2E, ReferenceReadOutFollowsTheUnit)
{
    connect({"--encoder", "counter", "--ref-every", "1000", "--position", "500"}, "[K740.vcom0]\r\nCPM=1000\r\n");
    sim->send("position 1500");
    ASSERT_TRUE(pollUntil([&] { return form->controls().RefPanel->text() == "1.000"; }));
    okSettingsWith([](const TSettingsFormControls& c) { c.rbUnitInch->click(); });
    EXPECT_EQ(form->controls().RefPanel->text(), "0.03937");
}

// In layout edit mode the read-out stays where the user put it: a dialog
// cancelled, a resize, the exit save.
TEST_F(SettingsChangeE2E, LayoutEditModeKeepsThePlacedReadOut)
{
    connect({"--encoder", "ssi", "--kind", "S", "--bits", "13"},
        "[K740.vcom0]\r\nPosition_Top=100\r\nPosition_Left=0\r\nPosition_Width=1600\r\nPosition_Height=500\r\n"
        "Panel_Width=400\r\nPanel_Left=328\r\nPanel_Top=60\r\nPanel_Height=104\r\n",
        {"/E"});
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    const QRect placed(328, 60, 400, 104);
    ASSERT_EQ(form->controls().PosPanel->geometry(), placed);
    AnswerSettingsDialog([](const TSettingsFormControls&) {}, false);
    form->StPanel3DblClick();
    EXPECT_EQ(form->controls().PosPanel->geometry(), placed);
    form->resize(1300, 420);
    QTest::qWait(50);
    EXPECT_EQ(form->controls().PosPanel->geometry(), placed);
    form->FormDestroy();
    EXPECT_TRUE(savedIni().contains("Panel_Left=328\r\n")) << savedIni().toStdString();
}

// The capture list takes its width off the row of ZERO, the two read-outs
// and HOME, which it would otherwise cover.
TEST_F(SettingsChangeE2E, CaptureListLeavesTheRowItsWidth)
{
    connect({"--encoder", "counter"}, "", {"/D"});
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    const auto& c = form->controls();
    for (const QSize size : {QSize(1900, 500), QSize(1000, 500)}) {
        form->resize(size);
        QTest::qWait(50);
        ASSERT_TRUE(c.bbZeroRef->isVisible() && c.DataPanel->isVisible());
        EXPECT_LE(c.bbZeroRef->geometry().right(), c.DataPanel->x()) << size.width();
        EXPECT_LT(c.PosPanel->geometry().right(), c.RefPanel->x()) << size.width();
    }
}

// The interface refuses the new frame: the window says which command, goes
// on reading the frame the interface still sends, and the file keeps the
// user's choice for the next connection.
TEST_F(SettingsChangeE2E, RefusedFrameKeepsTheConfirmedOneAndSaysWhichCommand)
{
    connect({"--encoder", "ssi", "--kind", "S", "--bits", "13", "--status-bits", "2", "--position", "4000"},
        "[K740.vcom0]\r\nSSIBits=13\r\nSSIStatusBits=2\r\n");
    const QString summary = form->controls().StPanel3->text();
    sim->send("fault refuse");
    QThread::msleep(100);
    const int before = sim->receivedCommands().size();

    MessageBoxAnswerer boxes;
    AnswerSettingsDialog([](const TSettingsFormControls& controls) { controls.udPaddingBits->setPosition(2); });
    form->StPanel3DblClick();
    loop->LoopTimerTimer();

    EXPECT_EQ(boxes.texts,
        QStringList("Configuring the interface failed: \"B17\" was refused; the interface keeps its "
                    "previous setting."));
    EXPECT_EQ(sim->receivedCommands().mid(before), QStringList({"B17\\r", "?"}));
    EXPECT_EQ(form->controls().StPanel3->text(), summary);
    EXPECT_EQ(form->session().readOutText(), "4.000");
    EXPECT_TRUE(savedIni().contains("\r\nPaddingBits=2\r\n")) << savedIni().toStdString();
}
