// Settings and log file problems seen from the main window: the program
// reports them once and goes on.
#include "ui/main_form_fixture.h"

#include "support/held_lock.h"

#include "ui/widgets/panel.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <functional>

using namespace k740;

namespace {
QString textOf(QWidget* modal)
{
    auto* box = qobject_cast<QMessageBox*>(modal);
    return box ? box->text() : QString();
}

// The answer to every modal window: its text kept in `shown`, then OK.
std::function<void(QWidget*)> KeepTextAndAccept(QStringList& shown)
{
    return [&shown](QWidget* modal) {
        shown.append(textOf(modal));
        static_cast<QDialog*>(modal)->accept();
    };
}
} // namespace

// A value that is no number and values beyond what the settings dialog can
// set (they take its nearest value) are reported in one line; the file
// keeps them until the user saves.
TEST_F(MainFormTest, SettingsProblemsAreReportedInOneLineAndTheConnectionCompletes)
{
    ports.plug("vcom0", CounterDevice());
    writeIni("[K740.vcom0]\nRotary=1\nCPR=12abc\nDegrees=0\nSSIBits=64\nCPM=-1\n");
    start();
    QStringList shown;
    answerModals(KeepTextAndAccept(shown));
    search();
    EXPECT_EQ(shown,
        QStringList({"'12abc' is not a valid integer value; CPM=-1 is out of range: 1.6 is used; SSIBits=64 is out "
                     "of range: 63 is used"}));
    ASSERT_FALSE(form->session().notConnected());
    EXPECT_EQ(form->session().activeSettings().CPR, 8192);
    EXPECT_EQ(form->session().activeSettings().SSIBits, 63);
    EXPECT_FLOAT_EQ(form->session().activeSettings().CPM, 1.6f);
    EXPECT_TRUE(loop->cycling());
    EXPECT_TRUE(form->controls().StPanel3->text().startsWith("Rotary / 8192 CPR"));
    form->FormDestroy();
    EXPECT_TRUE(readFile("K740.INI").contains("\nSSIBits=64\n"));
    EXPECT_TRUE(readFile("K740.INI").contains("\nCPM=-1\n"));
}

// Another program holds the settings file's lock (flock -x K740.INI ...):
// the connection goes on with the defaults, says so, and the exit save does
// not write them over the file.
TEST_F(MainFormTest, SettingsFileLockedElsewhereGivesDefaultsAndIsNotWrittenAtExit)
{
    ports.plug("vcom0", CounterDevice());
    writeIni("[K740.vcom0]\nRotary=1\n");
    HeldLock other(programDir() + "K740.INI");
    ASSERT_TRUE(other.held());
    start();
    QStringList shown;
    answerModals(KeepTextAndAccept(shown));
    search();
    EXPECT_EQ(shown, QStringList({"K740.INI is locked by another program: the settings take their defaults"}));
    EXPECT_FALSE(form->session().notConnected());
    EXPECT_FALSE(form->session().storedSettings().Rotary);
    other.release();
    form->FormDestroy();
    EXPECT_EQ(readFile("K740.INI"), "[K740.vcom0]\nRotary=1\n");
}

TEST_F(MainFormTest, UnwritableLogReportsOnceAndSwitchesAutoSaveOff)
{
    ports.plug("vcom0", CounterDevice());
    ASSERT_TRUE(QDir(programDir()).mkdir("K740_vcom0.LOG")); // a folder where the file should be
    start({"/A"});
    QStringList shown;
    answerModals(KeepTextAndAccept(shown));
    search();
    poll(3);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].startsWith("Saving position to " + programDir() + "K740_vcom0.LOG failed: "));
    EXPECT_FALSE(form->session().options().AutoSave);
    EXPECT_FALSE(form->controls().PosPanel->text().isEmpty());
    EXPECT_TRUE(loop->cycling());
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
    EXPECT_EQ(shown[0], "cannot write K740.INI: Is a directory; settings not saved");
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
