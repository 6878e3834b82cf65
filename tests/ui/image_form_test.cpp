// The timing-diagram window shows the chosen interface's picture at its own
// size and re-opens in place.
#include "ui/image_form.h"
#include "ui/jpeg_image.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>

using namespace k740;

namespace {
// What the window's client area shows.
QImage shown(QWidget& window)
{
    return window.grab().toImage().convertToFormat(QImage::Format_RGB888);
}
QImage picture(const char* resource)
{
    return LoadJpeg(resource).convertToFormat(QImage::Format_RGB888);
}

int visibleWindows()
{
    int count = 0;
    for (QWidget* window : QApplication::topLevelWidgets())
        count += window->isVisible();
    return count;
}
} // namespace

TEST(ImageForm, OpensSsiAtItsSizeThenBissAtItsSize)
{
    QWidget mainWindow;
    TImageForm form(&mainWindow);
    form.openDiagram(TTimingDiagram::Ssi);
    EXPECT_EQ(form.windowTitle(), "SSI Timing Diagram");
    EXPECT_EQ(form.size(), QSize(1012, 257));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_EQ(shown(form), picture(":/diagrams/ssi_timing.jpg"));

    form.close();
    form.openDiagram(TTimingDiagram::Biss);
    EXPECT_EQ(form.windowTitle(), "BiSS-C Timing Diagram");
    EXPECT_EQ(form.size(), QSize(978, 194));
    EXPECT_EQ(shown(form), picture(":/diagrams/biss_timing.jpg"));

    form.openDiagram(TTimingDiagram::None);
    EXPECT_TRUE(form.Image1->isVisible());
}

TEST(ImageForm, OpeningWhileOpenReplacesThePictureAndCentresAgain)
{
    QWidget mainWindow;
    TImageForm form(&mainWindow);
    form.openDiagram(TTimingDiagram::Ssi);
    form.move(0, 0);
    form.openDiagram(TTimingDiagram::Biss);
    EXPECT_EQ(visibleWindows(), 1);
    EXPECT_TRUE(form.Image2->isVisible());
    EXPECT_FALSE(form.Image1->isVisible());
    EXPECT_EQ(form.geometry().center(), form.screen()->availableGeometry().center());
}

TEST(ImageForm, StaysUsableBesideTheModalDialogThatOpensIt)
{
    QWidget mainWindow;
    TImageForm form(&mainWindow);
    QDialog settings(&mainWindow);
    QTimer::singleShot(0, &settings, [&] {
        form.openDiagram(TTimingDiagram::Ssi);
        QTest::keyClick(form.windowHandle(), Qt::Key_Escape); // through the window system, as typed
        EXPECT_FALSE(form.isVisible());
        settings.reject();
    });
    settings.exec();
}
