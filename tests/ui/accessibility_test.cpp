// What assistive technology finds through QAccessible: the read-out's text,
// the settings dialog's fields by their own captions, and the timing
// diagram's picture in the Tab order.
#include "ui/main_form_fixture.h"

#include "ui/settings_form_controls.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

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
    EXPECT_EQ(accessible->text(QAccessible::Name), "1.250");
    EXPECT_EQ(accessible->text(QAccessible::Value), "1.250");
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
