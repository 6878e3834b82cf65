// k740-sim as a separate program: publishing its link, answering through
// Qt Serial Port, run-time control, and cleaning up.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSerialPort>
#include <QTemporaryDir>
#include <sys/stat.h>

namespace {

constexpr int kGenerousMs = 10000;

class Simulator {
public:
    explicit Simulator(const QStringList& arguments)
    {
        process_.start(QStringLiteral(K740_BINARY_DIR "/k740-sim"), arguments);
    }
    ~Simulator()
    {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(kGenerousMs);
        }
    }

    // The next line the simulator prints on stdout, without its newline.
    QByteArray nextLine()
    {
        QElapsedTimer timer;
        timer.start();
        while (!process_.canReadLine() && timer.elapsed() < kGenerousMs)
            process_.waitForReadyRead(100);
        return process_.readLine().trimmed();
    }
    void control(const QByteArray& line)
    {
        process_.write(line + '\n');
        process_.waitForBytesWritten(kGenerousMs);
    }
    bool finishes() { return process_.waitForFinished(kGenerousMs); }
    int exitCode() const { return process_.exitCode(); }

private:
    QProcess process_;
};

QByteArray Exchange(QSerialPort& port, const QByteArray& command)
{
    port.write(command);
    port.waitForBytesWritten(kGenerousMs);
    QByteArray reply;
    QElapsedTimer timer;
    timer.start();
    while (!reply.contains('\r') && timer.elapsed() < kGenerousMs) {
        port.waitForReadyRead(100);
        reply += port.readAll();
    }
    return reply;
}

bool OpenAt115200(QSerialPort& port, const QString& path)
{
    port.setPortName(path);
    return port.open(QIODevice::ReadWrite) && port.setBaudRate(115200);
}

} // namespace

TEST(PtySimulator, PublishesLinkAnswersIdentityAndRemovesLinkOnQuit)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString folder = dir.filePath(QStringLiteral("ports"));
    Simulator sim({"--dir", folder, "--name", "vtest0", "--encoder", "ssi"});
    const QString link = folder + QStringLiteral("/vtest0");
    ASSERT_EQ(sim.nextLine(), "ready " + link.toLocal8Bit());
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    struct stat created { };
    ASSERT_EQ(::stat(QFile::encodeName(folder).constData(), &created), 0);
    EXPECT_EQ(created.st_mode & 07777, 0700u);

    for (int session = 0; session < 2; ++session) { // the host may reopen the port
        QSerialPort port;
        ASSERT_TRUE(OpenAt115200(port, link)) << port.errorString().toStdString();
        EXPECT_EQ(Exchange(port, "v"), "K740-9S V1.17\r");
        EXPECT_EQ(Exchange(port, "B15\r"), "OK\r");
    }

    sim.control("quit");
    ASSERT_TRUE(sim.finishes());
    EXPECT_EQ(sim.exitCode(), 0);
    EXPECT_FALSE(QFileInfo::exists(link) || QFileInfo(link).isSymLink());
}

TEST(PtySimulator, UnplugReplugTruthAndCommandLog)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString log = dir.filePath(QStringLiteral("commands.log"));
    Simulator sim({"--dir", dir.path(), "--name", "vtest1", "--position", "1234", "--log-commands", log});
    Simulator other({"--dir", dir.path(), "--name", "vtest2", "--model", "T740"});
    const QString link = dir.filePath(QStringLiteral("vtest1"));
    ASSERT_EQ(sim.nextLine(), "ready " + link.toLocal8Bit());
    ASSERT_EQ(other.nextLine(), "ready " + dir.filePath(QStringLiteral("vtest2")).toLocal8Bit());

    {
        QSerialPort port;
        ASSERT_TRUE(OpenAt115200(port, link));
        EXPECT_EQ(Exchange(port, "?"), "1234:0:0\r");
        EXPECT_EQ(Exchange(port, "B7\r"), "OK\r");
        sim.control("unplug");
        QElapsedTimer timer;
        timer.start();
        while (QFileInfo(link).isSymLink() && timer.elapsed() < kGenerousMs)
            port.waitForReadyRead(20);
        EXPECT_FALSE(QFileInfo(link).isSymLink());
    }

    sim.control("replug");
    ASSERT_EQ(sim.nextLine(), "ready " + link.toLocal8Bit());
    sim.control("position -77");
    sim.control("truth");
    EXPECT_EQ(sim.nextLine(), "truth -77");
    {
        QSerialPort port;
        ASSERT_TRUE(OpenAt115200(port, link));
        EXPECT_EQ(Exchange(port, "?"), "-77:0:0\r");
    }
    {
        QSerialPort port;
        ASSERT_TRUE(OpenAt115200(port, dir.filePath(QStringLiteral("vtest2"))));
        EXPECT_EQ(Exchange(port, "v"), "T740-9Q V1.17\r");
    }

    sim.control("quit");
    ASSERT_TRUE(sim.finishes());
    QFile file(log);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "?\nB7\\r\n?\n");
}

TEST(PtySimulator, RejectsUnsafeNamesFoldersAndUnknownFaults)
{
    QTemporaryDir dir;
    QTemporaryDir open; // writable by all, holding a link to dir
    ASSERT_EQ(::chmod(QFile::encodeName(open.path()).constData(), 0777), 0);
    const QString viaLink = open.filePath("link");
    ASSERT_TRUE(QFile::link(dir.path(), viaLink));
    const std::pair<QStringList, QString> cases[] = {{{"--dir", dir.path(), "--name", "../evil"}, "--name"},
        {{"--dir", dir.path(), "--fault", "meltdown"}, "--fault"},
        {{"--dir", open.path()}, "refusing to publish in " + open.path() + ": the folder is writable by group"},
        {{"--dir", viaLink}, "refusing to publish in " + viaLink + ": the folder is a symbolic link"}};
    for (const auto& [arguments, message] : cases) {
        QProcess process;
        process.start(QStringLiteral(K740_BINARY_DIR "/k740-sim"), arguments);
        ASSERT_TRUE(process.waitForFinished(kGenerousMs));
        EXPECT_NE(process.exitCode(), 0) << arguments.join(' ').toStdString();
        EXPECT_TRUE(QString(process.readAllStandardError()).startsWith("k740-sim: " + message))
            << message.toStdString();
    }
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
    EXPECT_EQ(QDir(open.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System), QStringList{"link"});
}
