#pragma once
// Calls of the position service and runs of k740-position, for the tests
// of the service on a private session bus.
#include <QString>
#include <QStringList>
#include <QVariant>

QVariant Call(const QString& destination, const QString& method, const QVariantList& arguments = {},
    const QString& interface = QString());
QVariant Property(const QString& destination, const char* name);
// Connected, and the first cycle has shown a position.
bool WaitForReadOut(const QString& destination);

struct ClientRun {
    int exitCode = -1;
    QString out, err;
};
// Runs k740-position to its end, serving this process's events meanwhile;
// `environment` adds "NAME=value" variables.
ClientRun Client(const QStringList& arguments, const QStringList& environment = {});
QString ClientPath();
