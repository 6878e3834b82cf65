// The settings dialog's wiring: fill, change handlers, checks on OK and the
// modal loop, driven with real clicks and keys.
#include "ui/settings_form.h"

#include "ui/settings_form_controls.h"
#include "ui/settings_form_radio_group.h"
#include "ui/widgets/up_down.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace k740;

namespace {

TEncoderSettings storedDefaults()
{
    TEncoderSettings s;
    s.CPR = 8192;
    s.CPM = 1000;
    s.Custom = 32000;
    s.NominalIncr = 1000;
    s.CPP = 20;
    s.SSIBits = 24;
    s.SSIFreq = 3;
    s.CRCBits = 6;
    s.ShowRefMarks = true;
    s.NominalIncrFlag = true;
    return s;
}

TSettingsDialogContext interfaceOf(uint8_t kind, int32_t firmware = 116)
{
    TSettingsDialogContext context;
    context.InterfaceKind = TInterfaceKind(kind);
    context.ExtendedInterface = true;
    context.FirmwareVersion = firmware;
    return context;
}

struct SettingsFormTest : ::testing::Test {
    QWidget mainWindow;
    TSettingsForm form{&mainWindow};
    const TSettingsFormControls& c = form.controls();
    QTimer modalWatcher;
    QStringList messages;

    // Opens the dialog on the settings `stored` puts in force on the interface.
    void open(const TEncoderSettings& stored, const TSettingsDialogContext& context, const TRunChoices& run = {})
    {
        InterfaceIdentity identity;
        identity.InterfaceKind = context.InterfaceKind;
        identity.ExtendedInterface = context.ExtendedInterface;
        identity.FirmwareVersion = context.FirmwareVersion;
        form.fill(ActivateSettings(stored, identity), run, context);
        form.show();
    }

    // The settings on OK; nothing when the dialog stayed open.
    std::optional<TEncoderSettings> pressOK()
    {
        QTest::mouseClick(c.BtnOK, Qt::LeftButton);
        if (form.isVisible())
            return std::nullopt;
        return form.readBack().Active;
    }

    // Notes and closes every message box: caption, icon and text.
    void answerMessageBoxes()
    {
        modalWatcher.setInterval(10);
        QObject::connect(&modalWatcher, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                const bool warning = box->icon() == QMessageBox::Warning;
                messages.append(box->windowTitle() + (warning ? " (warning): " : ": ") + box->text());
                box->accept();
            }
        });
        modalWatcher.start();
    }
};

} // namespace

TEST_F(SettingsFormTest, RotaryResolutionOpensAsStoredAndOKGivesItsCount)
{
    using Shown = QString (*)(const TSettingsFormControls&);
    const Shown list = [](const TSettingsFormControls& controls) { return controls.cmbResolution->currentText(); };
    const Shown bits = [](const TSettingsFormControls& controls) { return controls.eBits->text(); };
    const Shown custom = [](const TSettingsFormControls& controls) { return controls.eCustom->text(); };
    const std::tuple<int64_t, QRadioButton * TSettingsFormControls::*, Shown, QString, int64_t> cases[] = {
        {8192, &TSettingsFormControls::rbPredefined, list, "8192", 8192},
        {131072, &TSettingsFormControls::rbDataLength, bits, "17", 131072},
        {5000, &TSettingsFormControls::rbCustom, custom, "5000", 5000},
        {4, &TSettingsFormControls::rbCustom, custom, "4", 4}, // 2 bits: below the spinner's range
    };
    for (const auto& [cpr, radio, shown, text, okCpr] : cases) {
        TEncoderSettings s = storedDefaults();
        s.Rotary = true;
        s.CPR = cpr;
        open(s, interfaceOf(1));
        EXPECT_TRUE((c.*radio)->isChecked()) << cpr;
        EXPECT_EQ(shown(c), text) << cpr;
        const auto ok = pressOK();
        ASSERT_TRUE(ok) << cpr;
        EXPECT_EQ(ok->CPR, okCpr) << cpr;
    }
}

// A linear resolution or a count per period in no row shows in a row of its
// own (which OK keeps); another row gives its value.
TEST_F(SettingsFormTest, ValueInNoRowShowsInARowOfItsOwn)
{
    TEncoderSettings s = storedDefaults();
    s.CPM = 2.5f;
    s.DCR = true;
    s.CPP = 30;
    open(s, interfaceOf(0));
    EXPECT_EQ(c.cmbResolution->currentText(), "400");
    EXPECT_EQ(c.cmbCPP->currentText(), "30");
    c.cmbResolution->setCurrentIndex(25);
    c.cmbCPP->setCurrentIndex(1);
    const TEncoderSettings ok = pressOK().value();
    EXPECT_EQ(ok.CPM, 1000);
    EXPECT_EQ(ok.CPP, 20);
}

// Every field that counts in the frame bounds the position bits, the
// multiturn counter too, but only for a rotary encoder.
TEST_F(SettingsFormTest, MultiturnBitsCountInThePositionBitLimitWhileRotary)
{
    TEncoderSettings s = storedDefaults();
    s.Rotary = true;
    s.CPR = int64_t(1) << 24;
    s.PaddingBits = 10;
    s.SSIStatusBits = 2;
    s.DetailedStatusBits = 8;
    open(s, interfaceOf(1));
    ASSERT_EQ(c.udBits->maximum(), 43);
    for (int i = 0; i < 16; ++i)
        QTest::keyClick(c.eMultiturn, Qt::Key_Up);
    EXPECT_EQ(c.eMultiturn->text(), "16");
    EXPECT_EQ(c.udBits->maximum(), 27);
    EXPECT_EQ(c.eBits->text(), "24");
    QTest::keyClick(c.ePaddingBits, Qt::Key_Down);
    EXPECT_EQ(c.udBits->maximum(), 28);
    QTest::mouseClick(c.rbLinear, Qt::LeftButton);
    EXPECT_EQ(c.udBits->maximum(), 44);
    EXPECT_EQ(pressOK().value().MultiturnBits, 0); // a linear encoder has no multiturn counter
}

// The limit comes from the frame being filled in, also on the first opening
// and after an opening that left longer fields behind.
TEST_F(SettingsFormTest, StoredPositionBitsWithinTheFrameBudgetOpenAndStayAsStored)
{
    TEncoderSettings s = storedDefaults(); // linear SSI
    s.SSIBits = 40;
    open(s, interfaceOf(1));
    EXPECT_EQ(c.eBits->text(), "40");
    EXPECT_EQ(c.udBits->maximum(), 63);
    EXPECT_EQ(pressOK().value().SSIBits, 40);
    TEncoderSettings longer = s;
    longer.PaddingBits = 10;
    longer.SSIStatusBits = 2;
    longer.DetailedStatusBits = 8;
    open(longer, interfaceOf(1));
    EXPECT_EQ(c.udBits->maximum(), 43);
    QTest::mouseClick(c.BtnCancel, Qt::LeftButton);
    s.SSIBits = 60;
    open(s, interfaceOf(1));
    EXPECT_EQ(c.eBits->text(), "60");
    EXPECT_EQ(pressOK().value().SSIBits, 60);
}

TEST_F(SettingsFormTest, InterfaceWithoutExtendedIdentityOffersNoFrequencyExtendedStatusOrBiss)
{
    TEncoderSettings s = storedDefaults();
    s.ShowExtendedData = true;
    TSettingsDialogContext plain = interfaceOf(1, 117);
    plain.ExtendedInterface = false;
    open(s, plain);
    const QWidget* disabled[] = {c.cmbFreq, c.cbShowStatus, c.rbBiSS, c.eDetailedStatusBits, c.eCRCBits};
    for (const QWidget* control : disabled)
        EXPECT_FALSE(control->isEnabled()) << control->objectName().toStdString();
    EXPECT_TRUE(c.ePaddingBits->isEnabled() && c.eGeneralStatusBits->isEnabled() && c.rbSSI->isChecked());
    EXPECT_FALSE(c.cbShowStatus->isChecked());
    const auto ok = pressOK();
    ASSERT_TRUE(ok);
    EXPECT_FALSE(ok->ShowExtendedData);
    EXPECT_FALSE(ok->BiSS);
    EXPECT_EQ(ok->SSIFreq, 3);
}

TEST_F(SettingsFormTest, BissClearsAndDisablesGrayAndSwitchingBackLeavesItUnchecked)
{
    TEncoderSettings s = storedDefaults();
    s.GrayCode = true;
    open(s, interfaceOf(1));
    ASSERT_TRUE(c.cbGrayCode->isChecked());
    QTest::mouseClick(c.rbBiSS, Qt::LeftButton);
    EXPECT_FALSE(c.cbGrayCode->isChecked());
    EXPECT_FALSE(c.cbGrayCode->isEnabled());
    EXPECT_TRUE(c.eCRCBits->isEnabled());
    EXPECT_FALSE(c.eDetailedStatusBits->isEnabled());
    EXPECT_EQ(c.gbFrequency->title(), "BiSS Frequency");
    QTest::mouseClick(c.rbSSI, Qt::LeftButton);
    EXPECT_TRUE(c.cbGrayCode->isEnabled());
    EXPECT_FALSE(c.cbGrayCode->isChecked());
}

TEST_F(SettingsFormTest, NoStatusBitsUnchecksStatusColoursButNotActiveLow)
{
    TEncoderSettings s = storedDefaults();
    s.SSIStatusBits = 2;
    s.ShowStatusBits = true;
    s.ShowStatusColor = true;
    s.StatusActiveLow = true;
    open(s, interfaceOf(1));
    ASSERT_TRUE(c.cbShowStatusColor->isChecked());
    ASSERT_TRUE(c.cbActiveLow->isEnabled());
    QTest::keyClick(c.eGeneralStatusBits, Qt::Key_Down);
    EXPECT_EQ(c.eGeneralStatusBits->text(), "0");
    EXPECT_FALSE(c.cbShowStatusColor->isChecked());
    EXPECT_FALSE(c.cbShowStatusColor->isEnabled());
    EXPECT_FALSE(c.cbShowStatusBits->isEnabled());
    EXPECT_FALSE(c.cbActiveLow->isEnabled());
    EXPECT_TRUE(c.cbActiveLow->isChecked());
}

TEST_F(SettingsFormTest, ProtocolAndDistanceCodingFollowTheInterface)
{
    TEncoderSettings s = storedDefaults();
    s.BiSS = true;
    s.DCR = true;
    // kind, firmware, BiSS offered, BiSS on OK, DCR on OK
    for (const auto& [kind, firmware, offered, biss, dcr] :
        {std::tuple{1, 116, true, true, false}, {1, 115, false, false, false}, {0, 116, false, false, true}}) {
        open(s, interfaceOf(uint8_t(kind), firmware));
        EXPECT_EQ(c.rbBiSS->isEnabled(), offered) << kind << "/" << firmware;
        const auto ok = pressOK();
        ASSERT_TRUE(ok);
        EXPECT_EQ(ok->BiSS, biss) << kind << "/" << firmware;
        EXPECT_EQ(ok->DCR, dcr) << kind << "/" << firmware;
    }
    EXPECT_FALSE(c.rbSSI->isChecked() || c.rbBiSS->isChecked()); // counting interface
}

TEST_F(SettingsFormTest, BadInputIsRefusedAndKeepsTheDialogOpenOnItsEdit)
{
    answerMessageBoxes();
    const QString nominalError = "Input Error (warning): Nominal Increment must be an even positive integer.";
    const QString basicError
        = "Input Error (warning): Basic Increment must be divisible by 2 x Periode with no remainder.";
    using Edit = QLineEdit* TSettingsFormControls::*;
    const Edit customEdit = &TSettingsFormControls::eCustom;
    const Edit nominalEdit = &TSettingsFormControls::eNominalIncr;
    const Edit basicEdit = &TSettingsFormControls::eBasicIncr;
    // the edit, its refused text and message (none: a beep), an accepted text and the CPR or nominal increment it gives
    const std::tuple<Edit, QString, QString, QString, int64_t> cases[] = {
        {customEdit, "0", "", "-5000", 5000},
        {customEdit, "5k", "", "5000", 5000},
        {nominalEdit, "999", nominalError, "1000", 1000},
        {nominalEdit, "2147483648", nominalError, "1000", 1000},
        {basicEdit, "105", basicError, "110", 22},
    };
    for (const auto& [edit, bad, message, good, value] : cases) {
        TEncoderSettings s = storedDefaults();
        s.Rotary = edit == customEdit;
        s.CPR = 5000;
        s.DCR = edit != customEdit;
        s.NominalIncrFlag = edit != basicEdit;
        s.DCRPeriode = edit == basicEdit ? 1 : 0; // 5 mm or 2 mm
        open(s, interfaceOf(0));
        messages.clear();
        (c.*edit)->setText(bad);
        EXPECT_FALSE(pressOK()) << qPrintable(bad);
        EXPECT_EQ(messages.join('\n'), message) << qPrintable(bad);
        EXPECT_EQ(form.focusWidget(), c.*edit) << qPrintable(bad);
        (c.*edit)->setText(good);
        const auto ok = pressOK();
        ASSERT_TRUE(ok) << qPrintable(good);
        EXPECT_EQ(edit == customEdit ? ok->CPR : ok->NominalIncr, value) << qPrintable(good);
    }
}

TEST_F(SettingsFormTest, EscapeCancelsTheModalDialog)
{
    bool closedByEscape = false;
    QTimer::singleShot(0, &form, [this, &closedByEscape] {
        QTest::keyClick(c.eNominalIncr, Qt::Key_Escape);
        closedByEscape = !form.isVisible();
        if (!closedByEscape)
            form.reject(); // ends the modal loop: the test fails rather than hangs
    });
    EXPECT_FALSE(form.edit(storedDefaults(), {}, interfaceOf(0)));
    EXPECT_TRUE(closedByEscape);
}

// The box shows whether the capture list is shown, whatever the last
// opening left in it.
TEST_F(SettingsFormTest, AutoCaptureBoxOpensAsTheListIs)
{
    TRunChoices run;
    run.AutoCapture = true;
    QTimer::singleShot(0, &form, [this] {
        QTest::mouseClick(c.cbAutoCapture, Qt::LeftButton);
        QTest::mouseClick(c.BtnOK, Qt::LeftButton);
    });
    EXPECT_FALSE(form.edit(storedDefaults(), run, interfaceOf(0)).value().Run.AutoCapture);
    QTimer::singleShot(0, &form, [this] { QTest::mouseClick(c.BtnOK, Qt::LeftButton); });
    EXPECT_TRUE(form.edit(storedDefaults(), run, interfaceOf(0)).value().Run.AutoCapture);
}

TEST_F(SettingsFormTest, OnlyTypeDistanceCodingOrDirectionCountAsChanged)
{
    open(storedDefaults(), interfaceOf(0));
    QTest::mouseClick(c.cbShowStatus, Qt::LeftButton);
    EXPECT_FALSE(form.readBack().SettingsChanged);
    QTest::mouseClick(c.cbInvertDir, Qt::LeftButton);
    EXPECT_TRUE(form.readBack().SettingsChanged);
}

TEST_F(SettingsFormTest, HintImageAsksForTheChosenProtocolsDiagram)
{
    QSignalSpy requested(&form, &TSettingsForm::timingDiagramRequested);
    QSignalSpy dismissed(&form, &TSettingsForm::timingDiagramDismissed);
    open(storedDefaults(), interfaceOf(1));
    QTest::mouseClick(c.HintImage, Qt::LeftButton);
    EXPECT_TRUE(requested.isEmpty()); // the window opens after the click has returned
    ASSERT_TRUE(QTest::qWaitFor([&] { return requested.size() == 1; }));
    QTest::mouseClick(c.rbBiSS, Qt::LeftButton);
    QTest::mouseClick(c.HintImage, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return requested.size() == 2; }));
    EXPECT_EQ(requested[0][0].value<TTimingDiagram>(), TTimingDiagram::Ssi);
    EXPECT_EQ(requested[1][0].value<TTimingDiagram>(), TTimingDiagram::Biss);
    QTest::mouseClick(c.BtnCancel, Qt::LeftButton);
    EXPECT_EQ(dismissed.size(), 1);
}

// Minimised by a window manager that offers it anyway, the dialog comes
// back as the user left it: a restore is not an opening.
TEST_F(SettingsFormTest, ComesBackFromMinimisedWithTheOpeningAsItWas)
{
    open(storedDefaults(), interfaceOf(0));
    form.move(10, 20);
    QTest::mouseClick(c.cbInvertDir, Qt::LeftButton);
    form.showMinimized();
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.windowState() == Qt::WindowNoState; }));
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.pos(), QPoint(10, 20));
    EXPECT_TRUE(form.readBack().SettingsChanged);
}

// Where the dialog fits, its pane shows the whole page of groups; every
// opening starts on the first field, wherever the last one ended.
TEST_F(SettingsFormTest, OpensOnItsFirstFieldWithTheWholePageShown)
{
    for (int opening = 0; opening < 2; ++opening) {
        open(storedDefaults(), interfaceOf(1));
        EXPECT_EQ(form.focusWidget(), c.rbLinear) << opening;
        EXPECT_EQ(c.GroupsPane->viewport()->size(), c.Groups->size());
        c.BtnCancel->setFocus();
        QTest::mouseClick(c.BtnCancel, Qt::LeftButton);
    }
}

TEST_F(SettingsFormTest, LogoChoiceOnlyInLayoutEditModeAndTheHeightFollows)
{
    TSettingsDialogContext context = interfaceOf(1);
    for (const auto& [editMode, buttonsTop, height] : {std::tuple{false, 657, 717}, std::tuple{true, 705, 765}}) {
        context.LayoutEditMode = editMode;
        TRunChoices run;
        run.LogoMode = 2;
        open(storedDefaults(), context, run);
        EXPECT_EQ(c.rgLogo->isVisible(), editMode);
        EXPECT_EQ(c.BtnOK->y(), buttonsTop);
        EXPECT_EQ(c.BtnCancel->y(), buttonsTop);
        EXPECT_EQ(form.height(), height);
        EXPECT_EQ(c.InfoPanel->geometry(), QRect(0, height - 19, 433, 19));
        EXPECT_EQ(pressOK() ? form.readBack().Run.LogoMode : -1, 2);
    }
}
