// Settings and log file problems seen from the main window: the program
// reports them once and goes on.
#include "ui/main_form_fixture.h"

#include "ui/widgets/panel.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QMessageBox>

using namespace k740;

namespace {
QString textOf(QWidget* modal)
{
    auto* box = qobject_cast<QMessageBox*>(modal);
    return box ? box->text() : QString();
}
} // namespace

TEST_F(MainFormTest, NonIntegerCprIsReportedOnceAndTheConnectionCompletes)
{
    ports.plug("vcom0", CounterDevice());
    writeIni("[K740.vcom0]\nRotary=1\nCPR=12abc\nDegrees=0\n");
    start();
    QStringList shown;
    answerModals([&](QWidget* modal) {
        shown.append(textOf(modal));
        static_cast<QDialog*>(modal)->accept();
    });
    search();
    EXPECT_EQ(shown, QStringList({"'12abc' is not a valid integer value"}));
    ASSERT_FALSE(form->session().notConnected());
    EXPECT_EQ(form->session().activeSettings().CPR, 8192);
    EXPECT_TRUE(form->controls().LoopTimer->isActive());
    EXPECT_TRUE(form->controls().StPanel3->text().startsWith("Rotary / 8192 CPR"));
}

TEST_F(MainFormTest, UnwritableLogReportsOnceAndSwitchesAutoSaveOff)
{
    ports.plug("vcom0", CounterDevice());
    ASSERT_TRUE(QDir(programDir()).mkdir("K740_vcom0.LOG")); // a folder where the file should be
    start({"/A"});
    QStringList shown;
    answerModals([&](QWidget* modal) {
        shown.append(textOf(modal));
        static_cast<QDialog*>(modal)->accept();
    });
    search();
    poll(3);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].startsWith("Saving position to " + programDir() + "K740_vcom0.LOG failed: "));
    EXPECT_FALSE(form->session().options().AutoSave);
    EXPECT_FALSE(form->controls().PosPanel->text().isEmpty());
    EXPECT_TRUE(form->controls().LoopTimer->isActive());
}

TEST_F(MainFormTest, AutoSaveAppendsOneLinePerIntervalAndShowsInTheSummary)
{
    ports.plug("vcom0", CounterDevice());
    start({"/A"});
    search();
    EXPECT_TRUE(form->controls().StPanel3->text().contains(" / AutoSave every 1 sec"));
    poll(3); // the first cycle writes, the next ones wait for the interval
    const QStringList lines = readFile("K740_vcom0.LOG").split("\r\n", Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].startsWith("vcom0;"));
    EXPECT_TRUE(lines[0].endsWith(";0.000"));
}

TEST_F(MainFormTest, SettingsAreSavedAtExitOnlyAfterAConnection)
{
    start();
    form->FormDestroy();
    EXPECT_FALSE(QFile::exists(programDir() + "K740.INI"));

    ports.plug("vcom0", CounterDevice());
    start();
    search();
    form->FormDestroy();
    EXPECT_TRUE(readFile("K740.INI").startsWith("[K740.vcom0]"));
}

TEST_F(MainFormTest, UnwritableProgramFolderIsReportedAtExit)
{
    ports.plug("vcom0", CounterDevice());
    start();
    search();
    ASSERT_FALSE(form->session().notConnected());
    // Make the settings file impossible to replace: a folder in its place.
    ASSERT_TRUE(QDir(programDir()).mkdir("K740.INI"));
    QStringList shown;
    QMessageBox::Icon icon = QMessageBox::Critical;
    answerModals([&](QWidget* modal) {
        shown.append(textOf(modal));
        if (auto* box = qobject_cast<QMessageBox*>(modal))
            icon = box->icon();
        static_cast<QDialog*>(modal)->accept();
    });
    form->FormDestroy();
    EXPECT_EQ(icon, QMessageBox::NoIcon);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].startsWith("Unable to write to " + programDir() + "K740.INI")) << shown[0].toStdString();
}

TEST_F(MainFormTest, LayoutEditModeTakesTheStoredLogoFlagAndSavesItBack)
{
    struct Case {
        const char* section;
        int32_t logoMode;    // after the connection
        bool topLogoShown;   // "/NL" hid it at start
        const char* written; // at exit
    };
    const Case cases[] = {
        {"", 0, true, "Logo_Flag=0"}, // absent: 0, not the command line's mode
        {"Logo_Flag=1\n", 1, true, "Logo_Flag=1"},
        {"Logo_Flag=7\n", 7, false, "Logo_Flag=7"}, // no such mode: nothing changes, kept as stored
    };
    for (const Case& c : cases) {
        ports.plug("vcom0", CounterDevice());
        writeIni(QString("[K740.vcom0]\n") + c.section);
        start({"/E", "/NL"});
        search();
        EXPECT_EQ(form->session().options().LogoMode, c.logoMode) << c.section;
        EXPECT_EQ(form->controls().Image1->isVisibleTo(form.get()), c.topLogoShown) << c.section;
        form->FormDestroy();
        EXPECT_TRUE(readFile("K740.INI").contains(QString(c.written) + "\n")) << c.section;
    }
}
