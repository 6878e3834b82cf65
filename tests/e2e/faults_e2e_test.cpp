// The program against k740-sim when replies go wrong or another program
// holds the interface: no wrong position is logged, no copy takes another's
// interface, and a copy that loaded no settings writes none.
#include "support/e2e_harness.h"

#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace {
const char kLog[] = "K740_vcom0.LOG";
}

// A counting interface at 16000 counts and CPM written with a decimal comma
// (10 000 mm); the extended data ask "e" every cycle.
TEST(FaultsEndToEnd, UnusableAndLateRepliesNeverBecomeALoggedPosition)
{
    QTemporaryDir vports;
    SimulatorProcess sim(vports.path(), "vcom0", {"--encoder", "counter", "--position", "16000"});
    ASSERT_TRUE(sim.ready());
    ProgramProcess program("[K740.vcom0]\r\nCPM=1,6\r\nShowExtendedData=1\r\n");
    program.start(vports.path(), {"/A"}, {"QT_LOGGING_RULES=k740.link.debug=true"});
    ASSERT_TRUE(program.waitForLines(kLog, 2, 15000));

    sim.send("fault garbage");
    QThread::msleep(300); // a reply on its way still comes without the fault
    const int beforeGarbage = program.fileLines(kLog).size();
    QThread::msleep(2500);
    EXPECT_EQ(program.fileLines(kLog).size(), beforeGarbage); // a gap, no repeated value

    // Each time one supply reply comes after the next request went out.
    sim.send("fault none");
    for (int i = 0; i < 10; ++i) {
        sim.send("fault late");
        QThread::msleep(250);
    }
    ASSERT_TRUE(program.waitForLines(kLog, beforeGarbage + 2, 5000));
    ASSERT_TRUE(program.terminate());
    for (const QString& line : program.fileLines(kLog))
        EXPECT_TRUE(line.endsWith(";10000.000")) << line.toStdString();
    EXPECT_TRUE(program.stderrText().contains("late bytes dropped before it"));
    EXPECT_TRUE(program.file("K740.INI").startsWith("[K740.vcom0]\r\nCPM=1,6\r\nShowExtendedData=1\r\n"));
}

// Two copies with their own interfaces, started at the same moment, each get
// theirs; a third finds both ports in use, says by whom, and takes neither.
TEST(FaultsEndToEnd, CopiesLeaveEachOthersInterfacesAlone)
{
    QTemporaryDir vports;
    SimulatorProcess simA(vports.path(), "vcom0", {"--encoder", "counter", "--serial2", "AAA1"});
    SimulatorProcess simB(vports.path(), "vcom1", {"--encoder", "counter", "--serial2", "BBB2"});
    ASSERT_TRUE(simA.ready() && simB.ready());
    ProgramProcess first, second, third;
    first.start(vports.path(), {"/A", "/R=AAA"});
    second.start(vports.path(), {"/A", "/R=BBB"});
    ASSERT_TRUE(first.waitForLines(kLog, 1, 15000));
    ASSERT_TRUE(second.waitForLines("K740_vcom1.LOG", 1, 15000));

    third.start(vports.path(), {"/A"});
    const int firstLines = first.fileLines(kLog).size();
    QThread::msleep(2500);
    EXPECT_GT(first.fileLines(kLog).size(), firstLines + 1);
    const QString holders = third.stderrText();
    for (const auto& [port, holder] : {std::pair{"vcom0", &first}, std::pair{"vcom1", &second}})
        EXPECT_TRUE(holders.contains(
            QStringLiteral("%1 is in use by another program (process %2)").arg(port).arg(holder->processId())))
            << holders.toStdString();
    ASSERT_TRUE(first.terminate() && second.terminate() && third.terminate());
    EXPECT_TRUE(first.file("K740_vcom1.LOG").isEmpty() && second.file(kLog).isEmpty());
    EXPECT_TRUE(third.file(kLog).isEmpty() && third.file("K740_vcom1.LOG").isEmpty());
    EXPECT_TRUE(third.file("K740.INI").isEmpty()); // nothing loaded, nothing written
}
