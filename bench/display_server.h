#pragma once
// An Xvfb server of the benchmarks' own: started on a free display number
// (the server picks it and reports it on standard output), stopped with the
// object.
#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <csignal>

class TDisplayServer {
public:
    TDisplayServer() = default;
    TDisplayServer(const TDisplayServer&) = delete;
    TDisplayServer& operator=(const TDisplayServer&) = delete;
    ~TDisplayServer() { stop(); }

    // Starts Xvfb with one screen of `geometry` ("1600x900x24"); false when
    // it did not report its display within 10 s.
    bool start(const QString& geometry)
    {
        Server.setProcessChannelMode(QProcess::SeparateChannels);
        Server.setStandardErrorFile(QProcess::nullDevice());
        Server.start("Xvfb", {"-displayfd", "1", "-screen", "0", geometry, "-nolisten", "tcp"});
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 10000 && Server.state() != QProcess::NotRunning) {
            if (!Server.canReadLine() && !Server.waitForReadyRead(500))
                continue;
            bool ok = false;
            const int number = Server.readLine().trimmed().toInt(&ok);
            if (ok) {
                Display = QStringLiteral(":%1").arg(number);
                return true;
            }
        }
        return false;
    }

    void stop()
    {
        if (Server.state() == QProcess::NotRunning)
            return;
        ::kill(pid_t(Server.processId()), SIGTERM);
        if (!Server.waitForFinished(5000)) {
            Server.kill();
            Server.waitForFinished(3000);
        }
    }

    QString display() const { return Display; }
    qint64 pid() const { return Server.processId(); }

private:
    QProcess Server;
    QString Display;
};
