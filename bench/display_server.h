#pragma once
// An Xvfb server of the benchmarks' own: started on a free display number
// (the server picks it and reports it on standard output), stopped with the
// object.
#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <csignal>

class DisplayServer {
public:
    DisplayServer() = default;
    DisplayServer(const DisplayServer&) = delete;
    DisplayServer& operator=(const DisplayServer&) = delete;
    ~DisplayServer() { stop(); }

    // Starts Xvfb with one screen of `geometry` ("1600x900x24"); false when
    // it did not report its display within 10 s.
    bool start(const QString& geometry)
    {
        server_.setProcessChannelMode(QProcess::SeparateChannels);
        server_.setStandardErrorFile(QProcess::nullDevice());
        server_.start("Xvfb", {"-displayfd", "1", "-screen", "0", geometry, "-nolisten", "tcp"});
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 10000 && server_.state() != QProcess::NotRunning) {
            if (!server_.canReadLine() && !server_.waitForReadyRead(500))
                continue;
            bool ok = false;
            const int number = server_.readLine().trimmed().toInt(&ok);
            if (ok) {
                display_ = QStringLiteral(":%1").arg(number);
                return true;
            }
        }
        return false;
    }

    void stop()
    {
        if (server_.state() == QProcess::NotRunning)
            return;
        ::kill(pid_t(server_.processId()), SIGTERM);
        if (!server_.waitForFinished(5000)) {
            server_.kill();
            server_.waitForFinished(3000);
        }
    }

    QString display() const { return display_; }
    qint64 pid() const { return server_.processId(); }

private:
    QProcess server_;
    QString display_;
};
