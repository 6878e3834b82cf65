// The session's connection, settings and configuration.
#include "acquisition/interface_session.h"

#include "acquisition/display_setup.h"
#include "acquisition/position_log.h"
#include "link/transaction.h"
#include "platform/tick_counter.h"

namespace k740 {

TInterfaceSession::TInterfaceSession(IPortProvider& ports, const TDataFolders& folders, const TRunOptions& options)
    : Ports(ports)
    , Folders(folders)
    , Options(options)
    , Captures(GetTickCount())
{
    Stats.reset(std::chrono::steady_clock::now());
}

TInterfaceSession::~TInterfaceSession() = default;

void TInterfaceSession::closePort()
{
    if (Port)
        Port->close();
    Port.reset();
}

TProbeResult TInterfaceSession::search()
{
    closePort();
    Identity.PortName.clear();
    return ProbePorts(Ports, Ports.candidatePorts(), Options.SerialFilter,
        [this](int errorCode, const QString& portName) { emit openFailed(errorCode, portName); });
}

// Opens the port for good and checks the identity; false ends the attempt.
bool TInterfaceSession::openAndIdentify(const QString& portName, TConnectResult& result)
{
    int errorCode = 0;
    Port = Ports.open(portName, errorCode);
    if (!Port || !Port->configureLine())
        return false;
    if (exchange("v") != TTransactResult::Ok || !IsIdentityReply(LastReply))
        return false;
    // Provisional identity, so that an attempt that ends here leaves nothing
    // of an earlier connection in force.
    Identity.ExtendedInterface = false;
    Identity.InterfaceKind = TInterfaceKind::Counting;
    Identity.SecondSerial = false;
    Identity.FirmwareVersion = FirmwareVersionOf(LastReply);
    if (!IsSupportedIdentity(LastReply)) {
        result.Outcome = TConnectOutcome::Unsupported;
        if (LastReply.startsWith("K740-9B") && UnsupportedNoticeArmed) {
            UnsupportedNoticeArmed = false;
            result.ShowUnsupportedNotice = true;
        }
        return false;
    }
    UnsupportedNoticeArmed = true;
    return true;
}

TConnectResult TInterfaceSession::connectTo(const QString& portName, const TWindowGeometry& layout)
{
    TConnectResult result;
    Identity.PortName = portName;
    if (!openAndIdentify(portName, result))
        return result;
    Identity = IdentityFromReply(LastReply, portName);

    if (Identity.InterfaceKind == TInterfaceKind::Counting) {
        SendNoReply(Port.get(), "c");
    } else {
        QByteArray counterReply;
        Transact(Port.get(), "b", 0, false, counterReply);
    }
    if (Identity.ExtendedInterface) {
        exchange("s");
        if (exchange("e") == TTransactResult::Ok && LastReply.startsWith("0"))
            exchange("n");
    }

    NotConnected = false;
    Stats.reset(std::chrono::steady_clock::now());
    loadSettings(layout, result);
    applyRowVisibility();
    // What shows of ZERO and HOME after a connection also takes clicks.
    Row.ZeroEnabled = Row.ZeroVisible;
    Row.HomeEnabled = Row.RefLabelEnabled = Row.HomeVisible;
    ConnectedOnce = true;
    result.Outcome = TConnectOutcome::Connected;
    emit connectionChanged();
    emit pollingChanged();
    return result;
}

void TInterfaceSession::loadSettings(const TWindowGeometry& layout, TConnectResult& result)
{
    StoredSettings = LoadSettings(settingsLocation(), layout, &result.SettingsErrors, &SettingsFileLocked);
    ActiveSettings = ActivateSettings(StoredSettings, Identity, &result.SettingsErrors);
    result.SettingsErrors.removeDuplicates();
}

void TInterfaceSession::applyRowVisibility()
{
    const TRowVisibility visible = RowVisibility(Identity.InterfaceKind, ActiveSettings, Options.LayoutEditMode);
    Row.ZeroVisible = visible.Zero;
    Row.HomeVisible = visible.Home;
    Row.RefReadOutVisible = visible.RefReadOut;
}

TApplyResult TInterfaceSession::applySettings(bool dcrWasOn)
{
    if (Identity.InterfaceKind == TInterfaceKind::Absolute) {
        AdjustForAbsoluteInterface(ActiveSettings);
        ConfigureInterface(
            Identity, FrameConfigOf(ActiveSettings), ConfigTexts, [this](const QByteArray& command, QByteArray& reply) {
                const TTransactResult result = exchange(command);
                reply = LastReply;
                return result;
            });
    }

    TApplyResult result;
    const TDisplaySetup display = DisplaySetupFor(ActiveSettings);
    DisplayScale = display.DisplayScale;
    DisplayDecimals = display.DisplayDecimals;
    ActiveSettings.Units = display.Units;
    result.PosLabelCaption = display.PosLabelCaption;
    result.StatusBitsShown = ActiveSettings.ShowExtendedData || ActiveSettings.ShowStatusBits;
    result.ExtendedShown = ActiveSettings.ShowExtendedData;

    TSummaryContext context;
    context.InterfaceKind = Identity.InterfaceKind;
    context.BitsText = ConfigTexts.BitsText;
    context.FrequencyText = ConfigTexts.FrequencyText;
    context.AutoSave = Options.AutoSave;
    context.AutoSaveInterval = AutoSaveInterval;
    result.Summary = SettingsSummary(ActiveSettings, context);

    Row.ZeroEnabled = !ActiveSettings.DCR;
    result.StartHoming = ActiveSettings.DCR && !dcrWasOn;
    return result;
}

void TInterfaceSession::prepareSettingsEdit()
{
    if (!Options.LayoutEditMode)
        ActiveSettings.ShowRefMarks = true;
}

void TInterfaceSession::commitSettings(const TEncoderSettings& active)
{
    ActiveSettings = active;
    Ref.RefOffset = 0;
    StoredSettings = CommitSettings(ActiveSettings, StoredSettings);
    SettingsFileLocked = false;
    applyRowVisibility();
}

QString TInterfaceSession::saveSettings(const TWindowGeometry& live)
{
    return SaveSettings(settingsLocation(), StoredSettings, live);
}

void TInterfaceSession::pausePolling(bool paused)
{
    const bool before = polling();
    PollingPauses += paused ? 1 : -1;
    if (polling() != before)
        emit pollingChanged();
}

void TInterfaceSession::setAutoSave(bool on, int32_t interval)
{
    Options.AutoSave = on;
    AutoSaveInterval = interval;
}

TSettingsLocation TInterfaceSession::settingsLocation() const
{
    TSettingsLocation where;
    where.Folder = Folders.Settings;
    where.PortName = Identity.PortName;
    where.SerialFilter = Options.SerialFilter;
    where.LayoutEditMode = Options.LayoutEditMode;
    return where;
}

QString TInterfaceSession::logFileName() const
{
    return LogFileName(Folders.Logs, Identity.PortName);
}

TPositionFormat TInterfaceSession::positionFormat() const
{
    return MakePositionFormat(ActiveSettings, DisplayScale, DisplayDecimals);
}

// One exchange into the last reply, counted while connected.
TTransactResult TInterfaceSession::exchange(const QByteArray& command)
{
    const auto start = std::chrono::steady_clock::now();
    const TTransactResult result = Transact(Port.get(), command, 0, false, LastReply);
    LastExchangeEnd = std::chrono::steady_clock::now();
    if (!NotConnected)
        Stats.countExchange(result, LastReply.isEmpty(), LastExchangeEnd - start);
    return result;
}

TLinkFigures TInterfaceSession::linkFigures() const
{
    return Stats.figures(std::chrono::steady_clock::now());
}

void TInterfaceSession::resetLinkFigures()
{
    Stats.reset(std::chrono::steady_clock::now());
}

void TInterfaceSession::zero()
{
    SendNoReply(Port.get(), "z");
    Ref.ZeroOffset = 0;
}

bool TInterfaceSession::zeroIfAvailable()
{
    if (!Row.ZeroVisible || !Row.ZeroEnabled)
        return false;
    zero();
    return true;
}

bool TInterfaceSession::captureReadOut()
{
    if (!Options.AutoCapture || !Captures.capture(ReadOutText))
        return false;
    emit lineCaptured(ReadOutText);
    return true;
}

TAutoCapture TInterfaceSession::autoCaptureStep()
{
    if (!Options.AutoCapture)
        return TAutoCapture::NotDue;
    const TAutoCapture step = Captures.captureIfDue(ReadOutText, GetTickCount());
    if (step == TAutoCapture::Captured)
        emit lineCaptured(ReadOutText);
    return step;
}

void TInterfaceSession::switchSupply()
{
    if (LastSupplyCaption.isEmpty())
        return;
    exchange(LastSupplyCaption.toUpper().contains("OFF") ? "n" : "f");
}

void TInterfaceSession::toggleSerialSource()
{
    Identity.SecondSerial = !Identity.SecondSerial && Identity.FirmwareVersion >= 117;
}

} // namespace k740
