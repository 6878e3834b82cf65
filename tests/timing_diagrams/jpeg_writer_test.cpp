// The diagrams' JPEG writer keeps greyscale pictures grey, as the program
// reads them back.
#include "jpeg_writer.h"
#include "ui/jpeg_image.h"

#include <gtest/gtest.h>

using namespace k740;

TEST(JpegWriter, GreyPictureRoundTripsAsOneGreyChannel)
{
    QImage grey(37, 21, QImage::Format_Grayscale8);
    for (int y = 0; y < grey.height(); ++y)
        for (int x = 0; x < grey.width(); ++x)
            grey.scanLine(y)[x] = uchar(x * 6);
    const QByteArray jpeg = EncodeJpeg(grey, 90);
    const qsizetype frameHeader = jpeg.indexOf("\xFF\xC0"); // SOF0; its 10th byte counts the channels
    ASSERT_GE(frameHeader, 0);
    EXPECT_EQ(jpeg.at(frameHeader + 9), 1);
    const QImage back = DecodeJpeg(jpeg);
    EXPECT_EQ(back.size(), grey.size());
    EXPECT_TRUE(back.allGray());
    EXPECT_NEAR(qGray(back.pixel(30, 10)), 180, 4);
}
