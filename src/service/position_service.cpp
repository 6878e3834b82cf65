#include "service/position_service.h"

#include "acquisition/interface_session.h"
#include "acquisition/position_request.h"
#include "link/transaction.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <cstdio>

namespace k740 {

TPositionService::TPositionService(TInterfaceSession& session, std::function<uint()> windowId)
    : Session(session)
    , WindowIdOfMainWindow(std::move(windowId))
    , Bus(QString())
{
}

bool TPositionService::start(QDBusConnection bus)
{
    if (!bus.isConnected()) {
        std::fprintf(stderr, "k740: no D-Bus session bus; the position service (%s) is off\n", position_service::kName);
        return false;
    }
    Bus = bus;
    if (!Bus.registerObject(
            position_service::kPath, this, QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties)) {
        std::fprintf(
            stderr, "k740: %s could not be registered; the position service is off\n", position_service::kPath);
        return false;
    }
    QDBusConnectionInterface* names = Bus.interface();
    // The first copy owns the common name; a later one waits in line for it.
    names->registerService(position_service::kName, QDBusConnectionInterface::QueueService,
        QDBusConnectionInterface::DontAllowReplacement);
    names->registerService(position_service::NameOfProcess(QCoreApplication::applicationPid()));
    LastConnected = connected();
    LastIdentity = identity();
    LastPort = port();
    LastPolling = polling();
    connect(&Session, &TInterfaceSession::connectionChanged, this, &TPositionService::announceChanges);
    connect(&Session, &TInterfaceSession::pollingChanged, this, &TPositionService::announceChanges);
    return true;
}

bool TPositionService::connected() const
{
    return !Session.notConnected();
}

QString TPositionService::identity() const
{
    return connected() ? Session.identity().IdentityText : QString();
}

QString TPositionService::port() const
{
    return connected() ? Session.identity().PortName : QString();
}

bool TPositionService::polling() const
{
    return Session.polling();
}

bool TPositionService::positionIsCurrent()
{
    if (polling() && !Session.homingHoldsReadOut())
        return true;
    if (!calledFromDBus())
        return false;
    if (!polling())
        sendErrorReply(position_service::kNotPollingError,
            connected() ? QStringLiteral("polling is paused while a dialog or message box of k740 is open")
                        : QStringLiteral("no interface is connected"));
    else
        sendErrorReply(
            position_service::kHomingError, QStringLiteral("homing holds the read-out until the reference mark"));
    return false;
}

// 0 where windows have no id that other programs can use.
uint TPositionService::WindowId()
{
    return WindowIdOfMainWindow();
}

int TPositionService::Position(int form)
{
    return positionIsCurrent() ? PositionInForm(Session.positionValue(), form) : 0;
}

double TPositionService::Value()
{
    return positionIsCurrent() ? Session.shownValue() : 0;
}

QString TPositionService::PositionText()
{
    return positionIsCurrent() ? Session.readOutText() : QString();
}

bool TPositionService::Capture()
{
    return Session.captureReadOut();
}

QStringList TPositionService::Captures()
{
    return Session.captureList().lines();
}

bool TPositionService::Zero()
{
    const std::optional<TLinkResult> sent = Session.zeroIfAvailable();
    if (sent && !sent->ok()) {
        if (calledFromDBus())
            sendErrorReply(position_service::kZeroFailedError,
                QStringLiteral("the interface was not zeroed: ") + CommandFailureText("z", *sent));
        return false;
    }
    return sent.has_value();
}

// org.freedesktop.DBus.Properties.PropertiesChanged with what changed.
void TPositionService::announceChanges()
{
    QVariantMap changed;
    if (connected() != LastConnected)
        changed.insert("Connected", LastConnected = connected());
    if (identity() != LastIdentity)
        changed.insert("Identity", LastIdentity = identity());
    if (port() != LastPort)
        changed.insert("Port", LastPort = port());
    if (polling() != LastPolling)
        changed.insert("Polling", LastPolling = polling());
    if (changed.isEmpty())
        return;
    QDBusMessage signal
        = QDBusMessage::createSignal(position_service::kPath, "org.freedesktop.DBus.Properties", "PropertiesChanged");
    signal << QString(position_service::kInterface) << changed << QStringList();
    Bus.send(signal);
}

} // namespace k740
