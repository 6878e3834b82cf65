// The program, copied alone into a folder and started offscreen with "/A",
// against k740-sim for each kind of interface: what it logs, what the
// interface receives, and what the INI section holds after exit.
#include "support/e2e_harness.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
struct Case {
    QString ini;
    QStringList simArguments;
    QString expectedValue;
    QStringList expectedConfiguration; // commands after the identity exchanges
    QString pollCommand;
};

QString section(const QString& keys)
{
    return "[K740.vcom0]\n" + keys;
}

// Runs the program until its log holds three lines; returns the value field
// of the last one and leaves the processes' traces in the out parameters.
void runCase(const Case& c, QStringList& logValues, QStringList& commands, QString& iniAfter)
{
    QTemporaryDir vports;
    SimulatorProcess sim(vports.path(), "vcom0", c.simArguments);
    ASSERT_TRUE(sim.ready());
    ProgramProcess program(c.ini);
    program.start(vports.path(), {"/A"});
    ASSERT_TRUE(program.waitForLines("K740_vcom0.LOG", 2, 15000));
    ASSERT_TRUE(program.terminate());
    for (const QString& line : program.fileLines("K740_vcom0.LOG")) {
        const QStringList fields = line.split(';');
        ASSERT_EQ(fields.size(), 4) << line.toStdString();
        EXPECT_EQ(fields[0], "vcom0");
        EXPECT_TRUE(QRegularExpression("^\\d\\d\\.\\d\\d\\.\\d{4}$").match(fields[1]).hasMatch());
        EXPECT_TRUE(QRegularExpression("^\\d\\d:\\d\\d:\\d\\d$").match(fields[2]).hasMatch());
        logValues.append(fields[3]);
    }
    commands = sim.receivedCommands();
    iniAfter = program.file("K740.INI");
}

void expectCase(const Case& c)
{
    QStringList values, commands;
    QString ini;
    runCase(c, values, commands, ini);
    ASSERT_FALSE(values.isEmpty());
    for (const QString& v : values)
        EXPECT_EQ(v, c.expectedValue);
    // Probe "v", connection "v", then the connection's own exchanges.
    ASSERT_GE(commands.size(), 3);
    EXPECT_EQ(commands[0], "v");
    EXPECT_EQ(commands[1], "v");
    const int configStart = commands.indexOf(c.expectedConfiguration.value(0, c.pollCommand));
    ASSERT_GE(configStart, 2);
    EXPECT_EQ(commands.mid(configStart, c.expectedConfiguration.size()), c.expectedConfiguration);
    const QStringList polls = commands.mid(configStart + c.expectedConfiguration.size());
    ASSERT_FALSE(polls.isEmpty());
    for (const QString& p : polls)
        EXPECT_EQ(p, c.pollCommand);
    EXPECT_TRUE(ini.startsWith("[K740.vcom0]"));
}
} // namespace

// Each kind of interface: what is logged, how the interface is configured
// and which request polls it. A case: the INI file, the simulator's
// arguments, the logged value, the configuring commands, the poll request.
TEST(InterfaceKindsEndToEnd, EachKindLogsItsValueAfterConfiguringAndPollsWithItsRequest)
{
    const std::pair<const char*, Case> kinds[] = {
        {"counting interface, millimetres",
            {section("CPM=1000\nUnits=0\n"), {"--encoder", "counter", "--position", "12345"}, "12.345", {}, "?"}},
        // Turn 3, position 4000 of 8192: the degrees without the turns.
        {"short SSI with multiturn, degrees",
            {section("Rotary=1\nCPR=8192\nDegrees=1\nMultiturnBits=4\nSSIStatusBits=2\nSSIBits=13\n"),
                {"--encoder", "ssi", "--kind", "S", "--mt", "4", "--bits", "13", "--status-bits", "2", "--position",
                    QString::number(3 * 8192 + 4000)},
                "175.781", {"B15\\r", "M3", "m"}, "?"}},
        {"long SSI, Gray-coded, with multiturn, counts",
            {section("Rotary=1\nCPR=8388608\nDegrees=0\nMultiturnBits=12\nSSIStatusBits=2\nSSIFreq=4\nGrayCode=1\n"),
                {"--encoder", "ssi", "--kind", "S", "--mt", "12", "--bits", "23", "--status-bits", "2", "--gray",
                    "--position", QString::number(5LL * 8388608 + 2800862)},
                "2800862", {"B25\\r", "M4", "m"}, "4"}},
        {"BiSS-C, counts after the CRC check",
            {section("Rotary=1\nCPR=67108864\nDegrees=0\nBiSS=1\nSSIStatusBits=2\nCRCBits=6\n"),
                {"--encoder", "biss", "--kind", "S", "--bits", "26", "--status-bits", "2", "--position", "1193046"},
                "1193046", {"B31\\r", "M3", "m"}, "4"}},
    };
    for (const auto& [kind, c] : kinds) {
        SCOPED_TRACE(kind);
        expectCase(c);
    }
}

TEST(InterfaceKindsEndToEnd, ExitSavesEveryKeyInItsOrder)
{
    QStringList values, commands;
    QString ini;
    Case c;
    c.simArguments = {"--encoder", "counter"};
    runCase(c, values, commands, ini);
    QStringList keys;
    for (const QString& line : ini.split('\n', Qt::SkipEmptyParts))
        if (line.contains('='))
            keys.append(line.section('=', 0, 0));
    EXPECT_EQ(keys,
        QStringList({"Rotary", "CPR", "CPM", "Degrees", "InvertDir", "Units", "Custom", "DCR", "NominalIncr", "CPP",
            "ShowExtendedData", "SSIBits", "SSIFreq", "BiSS", "SSIStatusBits", "CRCBits", "PaddingBits",
            "DetailedStatusBits", "ShowStatusBits", "ShowRefMarks", "NominalIncrFlag", "DCRPeriode", "ShowStatusColor",
            "StatusActiveLow", "MultiturnBits", "SignedMultiturnCounter", "GrayCode"}));
    EXPECT_TRUE(ini.contains("CPR=8192"));
    EXPECT_TRUE(ini.contains("CPM=1000"));
}

TEST(InterfaceKindsEndToEnd, CopiedProgramConnectsWithinASecond)
{
    QTemporaryDir vports;
    SimulatorProcess sim(vports.path(), "vcom0", {"--encoder", "counter"});
    ASSERT_TRUE(sim.ready());
    ProgramProcess program;
    QElapsedTimer clock;
    clock.start();
    program.start(vports.path(), {"/A"});
    // The first log line is written by the first cycle after connecting.
    ASSERT_TRUE(program.waitForLines("K740_vcom0.LOG", 1, 5000));
    EXPECT_LT(clock.elapsed(), 1500);
    EXPECT_TRUE(program.terminate());
}
