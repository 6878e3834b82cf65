// The main window keeps its own colours under a dark desktop scheme: every
// caption and status field stays legible, measured on a grab of the window.
#include "ui/main_form_fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QStyle>
#include <QTest>
#include <algorithm>
#include <cmath>

using namespace k740;

namespace {

// WCAG 2 relative luminance and contrast ratio.
double Luminance(const QColor& colour)
{
    const auto linear = [](double channel) {
        return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) + 0.0722 * linear(colour.blueF());
}

double ContrastRatio(const QColor& a, const QColor& b)
{
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The contrast of the text in `area` of `shot`: its commonest colour is the
// background, the colour furthest from it the ink of the text.
double TextContrast(const QImage& shot, const QRect& area)
{
    QHash<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            ++counts[shot.pixel(x, y) | 0xff000000u];
    const QList<QRgb> colours = counts.keys();
    const QColor background(
        *std::max_element(colours.cbegin(), colours.cend(), [&](QRgb a, QRgb b) { return counts[a] < counts[b]; }));
    double best = 1;
    for (QRgb colour : colours)
        best = std::max(best, ContrastRatio(QColor(colour), background));
    return best;
}

// The part of a control that holds its text, in the window's coordinates:
// without frames, check boxes, edit borders and scroll bars.
QRect TextArea(const QWidget* form, const QWidget* control)
{
    QRect local = control->rect();
    if (const auto* frame = qobject_cast<const QFrame*>(control))
        local = frame->contentsRect();
    if (const auto* memo = qobject_cast<const QPlainTextEdit*>(control))
        local = memo->viewport()->geometry();
    if (qobject_cast<const QPushButton*>(control) || qobject_cast<const QLineEdit*>(control))
        local.adjust(4, 4, -4, -4);
    if (const auto* box = qobject_cast<const QCheckBox*>(control)) {
        const QStyle* style = control->style();
        local.setLeft(style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, control)
            + style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, control));
        local.setWidth(box->fontMetrics().horizontalAdvance(box->text()));
    }
    return QRect(control->mapTo(form, local.topLeft()), local.size());
}

// A dark scheme as desktops set it: light text on dark grey.
QPalette DarkScheme()
{
    return QPalette(QColor(53, 53, 53));
}

} // namespace

TEST(ContrastRatio, FollowsTheWcagFormula)
{
    EXPECT_NEAR(ContrastRatio(Qt::black, Qt::white), 21.0, 1e-9);
    EXPECT_NEAR(ContrastRatio(Qt::white, Qt::white), 1.0, 1e-9);
    // #767676 is the lightest grey with 4.5:1 on white, #777777 just misses.
    EXPECT_GE(ContrastRatio(QColor(0x76, 0x76, 0x76), Qt::white), 4.5);
    EXPECT_LT(ContrastRatio(QColor(0x77, 0x77, 0x77), Qt::white), 4.5);
}

TEST_F(MainFormTest, EveryCaptionAndStatusFieldIsLegibleUnderADarkScheme)
{
    const QPalette desktop = QApplication::palette();
    QApplication::setPalette(DarkScheme());
    const auto restore = qScopeGuard([&] { QApplication::setPalette(desktop); });

    TDeviceConfig config = CounterDevice();
    config.RefEvery = 1000;
    config.Position = 900;
    auto device = ports.plug("vcom0", config);
    writeIni("[K740.vcom0]\nShowExtendedData=1\n");
    start({"/D"});
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    search();
    poll();
    device->setPosition(1100); // passes a mark: the reference read-out shows it
    poll();
    ASSERT_TRUE(interfaceSession->captureReadOut());
    const TMainFormControls& c = form->controls();
    ASSERT_FALSE(c.RefPanel->text().isEmpty());
    form->TrigTimerTimer(); // the flash ends
    QTest::qWait(50);       // the read-outs paint within a frame

    // The capture list covers HOME and the right end of the reference
    // read-out until it is hidden.
    const auto legible = [&](const std::initializer_list<std::pair<const char*, QWidget*>>& controls) {
        const QImage shot = form->grab().toImage();
        for (const auto& [name, control] : controls) {
            ASSERT_TRUE(control->isVisible()) << name;
            EXPECT_GE(TextContrast(shot, TextArea(form.get(), control)), 4.5) << name;
        }
    };
    legible({{"PosLabel", c.PosLabel}, {"RefLabel", c.RefLabel}, {"PosPanel", c.PosPanel}, {"bbZero", c.bbZero},
        {"ExtStPanel1", c.ExtStPanel1}, {"ExtStPanel2", c.ExtStPanel2}, {"ExtStPanel3", c.ExtStPanel3},
        {"StPanel1", c.StPanel1}, {"StPanel2", c.StPanel2}, {"StPanel3", c.StPanel3},
        {"cbAutoCapture", c.cbAutoCapture}, {"Edit1", c.Edit1}, {"Label6", c.Label6}, {"DataMemo", c.DataMemo}});
    form->FormKeyUp(Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
    legible({{"RefPanel", c.RefPanel}, {"bbZeroRef", c.bbZeroRef}});
}
