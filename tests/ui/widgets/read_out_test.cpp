#include "ui/widgets/read_out.h"

#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace k740;

namespace {

struct ReadOutTest : ::testing::Test {
    QWidget window;
    TReadOut* readOut = new TReadOut(&window);

    void SetUp() override
    {
        QFont font("Liberation Sans");
        font.setPixelSize(96);
        readOut->setFont(font);
        readOut->setFontColour(Qt::darkGreen);
        readOut->setBackground(Qt::lightGray);
        readOut->setGeometry(10, 10, 400, 104);
        window.resize(420, 124);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    // The read-out's pixels in the window's backing store.
    QImage shown() const
    {
        const QPixmap all = window.screen()->grabWindow(window.winId());
        return all.toImage().copy(readOut->geometry()).convertToFormat(QImage::Format_RGB32);
    }

    // What a new read-out of the same font, colours and size shows for `text`.
    QImage drawnAfresh(const QString& text) const
    {
        TReadOut fresh(nullptr);
        fresh.setFont(readOut->font());
        fresh.setPalette(readOut->palette());
        fresh.resize(readOut->size());
        fresh.setText(text);
        return fresh.grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    // True once the read-out shows `text` as a new read-out would.
    bool showsLike(const QString& text)
    {
        const QImage expected = drawnAfresh(text);
        return QTest::qWaitFor([&] { return shown() == expected; }, 2000);
    }
};

} // namespace

TEST_F(ReadOutTest, TheLastTextSetIsTheOnePaintedAfterABurst)
{
    const QStringList sequences[] = {
        {"12345.678", "12345.728", "12345.778", "12345.828", "12346.003"},
        {"1", "- - - - - -", "CRC check failed", "-0.5", "359.999°", "7"},
        {"3:120.5°", "88", ""},
    };
    for (const QStringList& sequence : sequences) {
        // Set one by one, letting some frames pass in between, then as one burst.
        for (const QString& text : sequence) {
            readOut->setText(text);
            QTest::qWait(4);
        }
        EXPECT_TRUE(showsLike(sequence.last())) << sequence.join(" | ").toStdString();
        for (const QString& text : sequence)
            readOut->setText(text + "0");
        EXPECT_EQ(readOut->text(), sequence.last() + "0");
        EXPECT_TRUE(showsLike(sequence.last() + "0")) << sequence.join(" | ").toStdString();
    }
}

TEST_F(ReadOutTest, NewColourFontOrWidthRepaintsTheText)
{
    readOut->setText("-1234.5");
    ASSERT_TRUE(showsLike("-1234.5"));
    readOut->setFontColour(Qt::darkBlue);
    EXPECT_TRUE(showsLike("-1234.5"));
    QFont smaller = readOut->font();
    smaller.setPointSize(36);
    readOut->setFont(smaller);
    EXPECT_TRUE(showsLike("-1234.5"));
    readOut->resize(300, 104);
    EXPECT_TRUE(showsLike("-1234.5"));
}

TEST_F(ReadOutTest, TextWidthFollowsTextAndSize)
{
    EXPECT_EQ(readOut->textWidth("", 72), 0);
    const int wide = readOut->textWidth("-12345.678", 72);
    EXPECT_GT(wide, readOut->textWidth("-1234.567", 72));
    EXPECT_NEAR(2 * readOut->textWidth("-12345.678", 36), wide, 3);
}

TEST_F(ReadOutTest, ReleaseInsideIsAClick)
{
    QSignalSpy clicks(readOut, &TReadOut::clicked);
    QTest::mouseClick(readOut, Qt::LeftButton);
    QTest::mouseClick(readOut, Qt::RightButton);
    EXPECT_EQ(clicks.count(), 1);
}
