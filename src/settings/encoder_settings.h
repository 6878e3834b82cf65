#pragma once
#include "link/interface_config.h"
#include "link/interface_identity.h"
#include "settings/display_units.h"
#include "settings/frame_budget.h"

#include <QStringList>
#include <cstdint>

namespace k740 {

// Main window bounds, logo placement and position panel geometry, as the
// layout keys (Position_*, Logo_Flag, Panel_*) store them.
struct TWindowGeometry {
    int32_t Top = 0, Left = 0, Width = 0, Height = 0;
    int32_t LogoFlag = 0; // TLogoMode
    int32_t PanelWidth = 0, PanelLeft = 0, PanelTop = 0, PanelHeight = 0;

    bool operator==(const TWindowGeometry& o) const
    {
        return Top == o.Top && Left == o.Left && Width == o.Width && Height == o.Height && LogoFlag == o.LogoFlag
            && PanelWidth == o.PanelWidth && PanelLeft == o.PanelLeft && PanelTop == o.PanelTop
            && PanelHeight == o.PanelHeight;
    }
    bool operator!=(const TWindowGeometry& o) const { return !(*this == o); }
};

// One port's encoder, frame, display and layout settings; fields are named
// after their INI keys, but for the layout keys, which are one Layout.
// StoredSettings uses DCRPeriode, ActiveSettings uses
// PeriodLength and the derived LongFrame instead.
struct TEncoderSettings {
    bool Rotary = false;
    int64_t CPR = 0;
    float CPM = 0;
    int64_t Custom = 0;
    int32_t Degrees = 0; // TRotaryUnit
    bool InvertDir = false;
    int32_t Units = 0; // TLinearUnit
    bool DCR = false;
    int32_t NominalIncr = 0;
    int32_t CPP = 0;
    int32_t SSIBits = 0;
    bool ShowExtendedData = false;
    int32_t SSIFreq = 0; // TSsiClock
    bool BiSS = false;
    int32_t SSIStatusBits = 0;
    int32_t CRCBits = 0;
    int32_t PaddingBits = 0;
    int32_t DetailedStatusBits = 0;
    bool ShowStatusBits = false;
    bool ShowStatusColor = false;
    bool StatusActiveLow = false;
    TWindowGeometry Layout;
    bool ShowRefMarks = false;
    bool NominalIncrFlag = false;
    int32_t DCRPeriode = 0;   // stored form: 1 means 5 mm, else 2 mm
    int32_t PeriodLength = 0; // active form: 2 or 5 (mm)
    bool LongFrame = false;   // active only: SSI frame longer than 31 bits
    int32_t MultiturnBits = 0;
    bool SignedMultiturnCounter = false;
    bool GrayCode = false;
};

// Calls visit(name, member) for every field of the record, in its order;
// the name is the field's own (its INI key where it has one).
template <class Visit> void ForEachSettingsField(Visit visit)
{
    visit("Rotary", &TEncoderSettings::Rotary);
    visit("CPR", &TEncoderSettings::CPR);
    visit("CPM", &TEncoderSettings::CPM);
    visit("Custom", &TEncoderSettings::Custom);
    visit("Degrees", &TEncoderSettings::Degrees);
    visit("InvertDir", &TEncoderSettings::InvertDir);
    visit("Units", &TEncoderSettings::Units);
    visit("DCR", &TEncoderSettings::DCR);
    visit("NominalIncr", &TEncoderSettings::NominalIncr);
    visit("CPP", &TEncoderSettings::CPP);
    visit("SSIBits", &TEncoderSettings::SSIBits);
    visit("ShowExtendedData", &TEncoderSettings::ShowExtendedData);
    visit("SSIFreq", &TEncoderSettings::SSIFreq);
    visit("BiSS", &TEncoderSettings::BiSS);
    visit("SSIStatusBits", &TEncoderSettings::SSIStatusBits);
    visit("CRCBits", &TEncoderSettings::CRCBits);
    visit("PaddingBits", &TEncoderSettings::PaddingBits);
    visit("DetailedStatusBits", &TEncoderSettings::DetailedStatusBits);
    visit("ShowStatusBits", &TEncoderSettings::ShowStatusBits);
    visit("ShowStatusColor", &TEncoderSettings::ShowStatusColor);
    visit("StatusActiveLow", &TEncoderSettings::StatusActiveLow);
    visit("Layout", &TEncoderSettings::Layout);
    visit("ShowRefMarks", &TEncoderSettings::ShowRefMarks);
    visit("NominalIncrFlag", &TEncoderSettings::NominalIncrFlag);
    visit("DCRPeriode", &TEncoderSettings::DCRPeriode);
    visit("PeriodLength", &TEncoderSettings::PeriodLength);
    visit("LongFrame", &TEncoderSettings::LongFrame);
    visit("MultiturnBits", &TEncoderSettings::MultiturnBits);
    visit("SignedMultiturnCounter", &TEncoderSettings::SignedMultiturnCounter);
    visit("GrayCode", &TEncoderSettings::GrayCode);
}

// ActiveSettings from StoredSettings for the connected interface: BiSS only
// on an SSI / BiSS-C interface with firmware above 1.15, PeriodLength 5 when
// DCRPeriode is 1 else 2, no extended data and no BiSS on a plain (T740-type)
// interface, every value the settings dialog edits brought into its limits
// (BringIntoDialogLimits; one text per key that was not in them is added to
// `outOfRange`), and the frame in force (DeriveFrame). StoredSettings keeps
// the values as read, so that the file changes only when the user saves.
TEncoderSettings ActivateSettings(
    const TEncoderSettings& stored, const InterfaceIdentity& identity, QStringList* outOfRange = nullptr);

// StoredSettings after the settings dialog's OK: every field of `active`,
// with DCRPeriode 1 for a 5 mm period length and 0 otherwise, but the Layout
// of `stored` (saving writes the live layout instead).
TEncoderSettings CommitSettings(const TEncoderSettings& active, const TEncoderSettings& stored);

// Smallest n in 1..58 with 2^n >= count; 0 for a count <= 0 or above 2^58.
int32_t BitsForCount(int64_t count);

// The frame the settings put in force on an interface of `kind`, derived in
// this one place from the resolution: a linear encoder has no multiturn
// counter (MultiturnBits 0); the absolute interface has no distance-coded
// marks (DCR off) and clocks exactly the bits a rotary encoder's CPR needs
// (SSIBits); LongFrame follows from the frame that results.
void DeriveFrame(TEncoderSettings& active, TInterfaceKind kind, int32_t firmwareVersion);

// Whether the read-out keeps the smaller font it once needed, so that it
// does not jump between sizes: a rotary encoder shown in counts or degrees.
bool KeepsFittedFont(const TEncoderSettings& active);

// Bit counts of the frame's fields besides the position.
TFrameFields FrameFieldsOf(const TEncoderSettings& s);

// The frame the interface is configured for.
TFrameConfig FrameConfigOf(const TEncoderSettings& active);

} // namespace k740
