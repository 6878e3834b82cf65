// What assistive technology finds through QAccessible: the read-out's text,
// the settings dialog's fields by their own captions, and the timing
// diagram's picture in the Tab order.
#include "ui/main_form_fixture.h"

#include "ui/settings_form_controls.h"
#include "ui/widgets/up_down.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

using namespace k740;

namespace {

QString AccessibleText(QWidget* widget, QAccessible::Text kind)
{
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    return accessible ? accessible->text(kind) : QStringLiteral("<none>");
}

} // namespace

TEST_F(MainFormTest, TheReadOutIsReadAsTheTextItShows)
{
    auto device = ports.plug("vcom0", CounterDevice());
    writeIni("[K740.vcom0]\nCPM=1000\n");
    start();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    search();
    device->setPosition(1250);
    poll();

    TReadOut* readOut = form->controls().PosPanel;
    ASSERT_EQ(readOut->text(), "1.250");
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(readOut);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::StaticText);
    EXPECT_TRUE(accessible->state().readOnly);
    EXPECT_EQ(accessible->text(QAccessible::Name), "1.250");
    QAccessibleTextInterface* text = accessible->textInterface();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->characterCount(), 5);
    EXPECT_EQ(text->text(0, -1), "1.250");
    EXPECT_EQ(text->text(2, 4), "25");

    // The capture list's fields are named too.
    EXPECT_EQ(AccessibleText(form->controls().Edit1, QAccessible::Name), "Capture every ... ms");
    EXPECT_EQ(AccessibleText(form->controls().DataMemo, QAccessible::Name), "Capture list");
}

TEST(SettingsFormAccessibility, EachFieldIsNamedByItsOwnCaption)
{
    QWidget mainWindow;
    TSettingsForm form(&mainWindow);
    const TSettingsFormControls& c = form.controls();
    const std::pair<QWidget*, QString> fields[]
        = {{c.ePaddingBits, "Padding bits"}, {c.eGeneralStatusBits, "Status bits"},
            {c.eDetailedStatusBits, "Detail. status"}, {c.eCRCBits, "CRC bits"}, {c.eBits, "Position Data (Bits)"},
            {c.eMultiturn, "MT Counter"}, {c.eCustom, "Custom CPR"}, {c.cmbResolution, QString::fromUtf8("µm")},
            {c.eNominalIncr, "Nominal Increment (Periods)"}, {c.eBasicIncr, "Basic Increment K (mm)"},
            {c.cmbCPP, "Counts Per Period"}, {c.eSeconds, "Save position to a file every ... seconds"}};
    for (const auto& [field, caption] : fields)
        EXPECT_EQ(AccessibleText(field, QAccessible::Name), caption) << caption.toStdString();

    // A list is named by its caption, not by the row it shows; without a
    // label of its own, by its group's title, which follows the protocol.
    c.cmbResolution->addItems({"1", "2"});
    EXPECT_EQ(AccessibleText(c.cmbResolution, QAccessible::Name), QString::fromUtf8("µm"));
    EXPECT_EQ(AccessibleText(c.cmbFreq, QAccessible::Name), "SSI Frequency");
    EXPECT_EQ(AccessibleText(c.cmbFreq, QAccessible::Value), "35 kHz");
    c.rbBiSS->setChecked(true);
    EXPECT_EQ(AccessibleText(c.cmbFreq, QAccessible::Name), "BiSS Frequency");
    QStringList arrows;
    for (const QToolButton* arrow : c.udBits->findChildren<QToolButton*>())
        arrows << AccessibleText(const_cast<QToolButton*>(arrow), QAccessible::Name);
    EXPECT_EQ(arrows, QStringList({"Up", "Down"}));
}

TEST(SettingsFormAccessibility, TabReachesTheTimingDiagramPictureAndSpaceOpensIt)
{
    QWidget mainWindow;
    TSettingsForm form(&mainWindow);
    const TSettingsFormControls& c = form.controls();
    QSignalSpy requested(&form, &TSettingsForm::timingDiagramRequested);
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    c.eCRCBits->setFocus();
    for (int presses = 0; presses < 4 && !c.HintImage->hasFocus(); ++presses)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_TRUE(c.HintImage->hasFocus());
    EXPECT_EQ(AccessibleText(c.HintImage, QAccessible::Name), "Timing diagram");
    QTest::keyClick(c.HintImage, Qt::Key_Space);
    EXPECT_TRUE(QTest::qWaitFor([&] { return requested.count() == 1; }, 1000));
}
