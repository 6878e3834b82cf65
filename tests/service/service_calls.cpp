#include "service/service_calls.h"

#include "service/position_service_names.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QProcess>
#include <QTest>

namespace Names = k740::position_service;

QVariant Call(
    const QString& destination, const QString& method, const QVariantList& arguments, const QString& interface)
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        destination, Names::kPath, interface.isEmpty() ? QString(Names::kInterface) : interface, method);
    call.setArguments(arguments);
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, 5000);
    return reply.type() == QDBusMessage::ReplyMessage ? reply.arguments().value(0) : QVariant();
}

QVariant Property(const QString& destination, const char* name)
{
    return Call(destination, "Get", {QString(Names::kInterface), QString(name)}, "org.freedesktop.DBus.Properties")
        .value<QDBusVariant>()
        .variant();
}

bool WaitForReadOut(const QString& destination)
{
    return QTest::qWaitFor([&] { return !Call(destination, "PositionText").toString().isEmpty(); }, 15000)
        && Property(destination, "Connected") == QVariant(true);
}

QString ClientPath()
{
    return K740_BINARY_DIR "/k740-position";
}

ClientRun Client(const QStringList& arguments, const QStringList& environment)
{
    QProcess client;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& variable : environment)
        env.insert(variable.section('=', 0, 0), variable.section('=', 1));
    client.setProcessEnvironment(env);
    client.start(ClientPath(), arguments);
    // Events are served meanwhile, so that a window of this process answers.
    if (!QTest::qWaitFor([&] { return client.state() == QProcess::NotRunning; }, 10000)) {
        client.kill();
        client.waitForFinished();
    }
    return {client.exitCode(), QString::fromUtf8(client.readAllStandardOutput()).trimmed(),
        QString::fromLocal8Bit(client.readAllStandardError()).trimmed()};
}
