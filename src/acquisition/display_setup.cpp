#include "acquisition/display_setup.h"

#include "settings/decimal_text.h"
#include "settings/encoder_settings.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <limits>

namespace k740 {

namespace {

struct TDecimalsRow {
    int32_t Decimals;
    std::initializer_list<double> Resolutions; // counts per mm
};

const TDecimalsRow kMetricDecimals[] = {
    {1, {10}},
    {2, {4, 20, 25, 50, 100}},
    {4, {16, 32, 64, 80, 128, 256, 400, 512, 2000, 2500, 5000, 10000}},
    {5, {160, 800, 1024, 2048, 4096, 20000, 25000, 50000, 100000}},
    {6, {200000, 250000, 500000, 1000000}},
    {7, {400000}},
};

const TDecimalsRow kImperialDecimals[] = {
    {4, {40, 50, 64, 80, 100, 128, 160, 200, 250, 256}},
    {5, {400, 500, 512, 800, 1000, 1024, 2000, 2048, 2500}},
    {6, {4096, 5000, 10000, 20000, 25000}},
    {7, {50000, 100000, 200000, 250000, 400000, 500000, 1000000}},
};

bool IsImperial(TLinearUnit unit)
{
    return unit == TLinearUnit::Inches || unit == TLinearUnit::Mils;
}
bool IsThousandths(TLinearUnit unit)
{
    return unit == TLinearUnit::Micrometres || unit == TLinearUnit::Mils;
}

template <size_t N> int32_t LookUpDecimals(const TDecimalsRow (&table)[N], double resolution)
{
    for (const TDecimalsRow& row : table)
        for (double r : row.Resolutions)
            if (r == resolution)
                return row.Decimals;
    return 3;
}

// Degrees: fewer decimals for a step of 1, 2 or 5 times a power of ten.
int32_t DegreeDecimals(int64_t cpr, double scale)
{
    if (cpr <= 360)
        return std::fabs(scale - std::trunc(scale)) < 1e-11 ? 0 : 1;
    const long double l = std::log10((long double)scale);
    const long double f = -(l - std::trunc(l));
    int32_t decimals = -int32_t(std::trunc(l)) + 2;
    for (long double step : {1.0L, std::log10(2.0L), std::log10(5.0L)})
        if (std::fabs(f - step) < 1e-11L) {
            --decimals;
            break;
        }
    return decimals;
}

void SetUpRotary(const TEncoderSettings& s, TDisplaySetup& setup)
{
    setup.PosLabelCaption = QStringLiteral("ANGLE");
    setup.DisplayScale = 1.0;
    setup.DisplayDecimals = 0;
    setup.Units = 0;
    if (RotaryUnitOf(s.Degrees) != TRotaryUnit::Degrees)
        return;
    setup.DisplayScale = s.CPR == 0 ? std::numeric_limits<double>::infinity() : double(360.0L / s.CPR);
    setup.DisplayDecimals = DegreeDecimals(s.CPR, setup.DisplayScale);
}

void SetUpLinear(const TEncoderSettings& s, TDisplaySetup& setup)
{
    static const char* const kCaptions[] = {"POSITION (mm)", "POSITION (µm)", "POSITION (inch)", "POSITION (mil)"};
    const TLinearUnit unit = LinearUnitOf(s.Units);
    setup.PosLabelCaption = QString::fromUtf8(kCaptions[int32_t(unit)]);
    setup.Units = s.Units;

    const long double perMillimetre = IsThousandths(unit) ? 1000.0L : 1.0L;
    const long double scale = s.CPM == 0 ? std::numeric_limits<long double>::infinity() : perMillimetre / s.CPM;
    setup.DisplayScale = double(IsImperial(unit) ? scale / 25.4L : scale);
    // The resolution rounded to the nearest integer, ties to even.
    const double resolution = std::nearbyint(double(s.CPM));
    setup.DisplayDecimals = IsImperial(unit) ? LookUpDecimals(kImperialDecimals, resolution)
                                             : LookUpDecimals(kMetricDecimals, resolution);
    if (IsThousandths(unit))
        setup.DisplayDecimals = std::max(0, setup.DisplayDecimals - 3);
}

} // namespace

TDisplaySetup DisplaySetupFor(const TEncoderSettings& active)
{
    TDisplaySetup setup;
    if (active.Rotary)
        SetUpRotary(active, setup);
    else
        SetUpLinear(active, setup);
    return setup;
}

QString SettingsSummary(const TEncoderSettings& s, const TSummaryContext& context)
{
    const QString cpr = QString::number(s.CPR);
    const float micronsPerCount = s.CPM == 0 ? std::numeric_limits<float>::infinity() : 1.0f / s.CPM * 1000.0f;
    const QString resolution = FormatMicrons(micronsPerCount);
    QString text;
    if (context.InterfaceKind != TInterfaceKind::Absolute) {
        text = QString(s.Rotary ? "Rotary" : "Linear")
            + (s.DCR ? QStringLiteral(" with Distance Coded Ref Marks  / ") : QStringLiteral(" / "))
            + (s.Rotary ? cpr + " CPR" : resolution + QStringLiteral(" µm"));
    } else {
        const QString gray = (s.GrayCode && !(s.Rotary && s.BiSS)) ? QStringLiteral(" Gray code") : QString();
        const bool multiturn = s.Rotary && s.MultiturnBits > 0;
        text = QString(s.BiSS ? "BiSS" : "SSI")
            + (s.Rotary ? " /  " + cpr + " CPR" : " Linear /  " + resolution + QStringLiteral(" µm")) + "  /  "
            + context.FrequencyText + " /  " + context.BitsText + gray
            + (multiturn ? " Position + " + QString::number(s.MultiturnBits) + " Multiturn bits"
                         : QStringLiteral(" bits"));
    }
    if (s.InvertDir)
        text += QStringLiteral(" / Inverse Direction");
    if (context.AutoSave)
        text += " / AutoSave every " + QString::number(context.AutoSaveInterval) + " sec";
    return text + QStringLiteral(" (Double click to change)");
}

} // namespace k740
