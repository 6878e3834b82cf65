// The trend window's wiring: the chord and "/T" open it, the cycles reach
// it, its export writes the recording's columns.
#include "ui/main_form_fixture.h"

#include "ui/trend_form.h"
#include "ui/trend_plot.h"

#include <QTest>

namespace {

constexpr Qt::KeyboardModifiers kCtrlShift = Qt::ControlModifier | Qt::ShiftModifier;

class TrendFormTest : public MainFormTest {
protected:
    void connect(const QStringList& arguments)
    {
        device = ports.plug("vcom0", CounterDevice());
        writeIni("[K740.vcom0]\nCPM=1000\n");
        start(arguments);
        search();
    }
    bool trendShown() const { return form->trendForm() && form->trendForm()->isVisible(); }

    std::shared_ptr<TDeviceModel> device;
};

} // namespace

TEST_F(TrendFormTest, CtrlShiftTOpensAndClosesTheTrendBesideTheWindow)
{
    connect({});
    form->show();
    for (int round = 0; round < 3; ++round) {
        typeKey(Qt::Key_T, kCtrlShift);
        ASSERT_TRUE(trendShown()) << round;
        EXPECT_EQ(form->trendForm()->windowTitle(), "K740 Position Trend");
        EXPECT_EQ(form->trendForm()->frameGeometry().intersected(form->frameGeometry()), QRect());
        if (round == 2) { // its own chord closes it too
            QTest::keyClick(form->trendForm(), Qt::Key_T, kCtrlShift);
        } else {
            typeKey(Qt::Key_T, kCtrlShift);
        }
        EXPECT_FALSE(trendShown()) << round;
    }
    typeKey(Qt::Key_T, Qt::ControlModifier); // Ctrl alone is not the chord
    EXPECT_FALSE(trendShown());
}

TEST_F(TrendFormTest, SlashTOpensItWithTheWindow)
{
    connect({"/t"});
    EXPECT_FALSE(trendShown());
    form->show();
    EXPECT_TRUE(trendShown());
}

TEST_F(TrendFormTest, ExportWritesTheShownCyclesAsTheRecordingsColumns)
{
    connect({"/T"});
    form->show();
    for (int64_t position : {100, 200, 300}) {
        device->setPosition(position);
        poll();
    }
    TTrendForm& trend = *form->trendForm();
    trend.togglePause();
    EXPECT_TRUE(trend.plot().paused());
    const QString csv = programDir() + "trend.csv";
    ASSERT_TRUE(trend.exportShown(csv));
    const QStringList lines = readFile("trend.csv").split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], "seconds,cycle,raw,value,text,valid,crc");
    EXPECT_TRUE(lines[1].startsWith("0.000000,")) << lines[1].toStdString();
    EXPECT_TRUE(lines[3].endsWith(",300,0.3,\"0.300\",1,1")) << lines[3].toStdString();
    ASSERT_TRUE(trend.exportShown(programDir() + "trend.png"));
    EXPECT_FALSE(QImage(programDir() + "trend.png").isNull());
}
