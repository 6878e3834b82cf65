#include "ui/main_form_controls.h"

#include "acquisition/capture_list.h"
#include "ui/colours.h"
#include "ui/jpeg_image.h"
#include "ui/widgets/palette_colour.h"
#include "ui/widgets/panel.h"
#include "ui/widgets/up_down.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

// The pictures are compiled into the ui library, and a static library has to
// register its resources itself (outside any namespace: the registration
// function is global).
static void RegisterPictures()
{
    Q_INIT_RESOURCE(k740);
}

namespace k740 {

const char kProductPage[] = "https://www.example.com/k740/";

namespace {

QFont FontPixels(const char* family, int pixels, bool bold = false)
{
    QFont font(family);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

QWidget* PlainPanel(QWidget* parent, const QColor& colour)
{
    auto* panel = new QWidget(parent);
    panel->setAutoFillBackground(true);
    SetPaletteColour(*panel, QPalette::Window, colour);
    return panel;
}

TReadOut* ReadOut(QWidget* parent, const QColor& colour, const QRect& bounds)
{
    auto* panel = new TReadOut(parent);
    panel->setFont(FontPixels("Liberation Sans", 96));
    panel->setFontColour(colour);
    panel->setBackground(colours::kButtonFace);
    panel->setGeometry(bounds);
    return panel;
}

TPanel* StatusField(QWidget* parent, int left, int width)
{
    auto* field = new TPanel(parent, true);
    field->setTextFormat(Qt::PlainText);
    field->setGeometry(left, 0, width, 21);
    return field;
}

// A bitmap drawn transparently: its bottom-left pixel's colour lets the
// background through.
QPixmap TransparentBitmap(const QString& path)
{
    QImage image = QImage(path).convertToFormat(QImage::Format_ARGB32);
    if (image.isNull())
        return {};
    const QRgb background = image.pixel(0, image.height() - 1);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == background)
                image.setPixel(x, y, qRgba(0, 0, 0, 0));
    return QPixmap::fromImage(image);
}

QTimer* Timer(QWidget* form, int interval)
{
    auto* timer = new QTimer(form);
    timer->setInterval(interval);
    return timer;
}

} // namespace

void TMainFormControls::setupUi(QWidget* form)
{
    RegisterPictures();
    form->setWindowTitle("K740 USB Encoder Interface");
    form->setAutoFillBackground(true);
    // Set before the controls exist, so that each starts from it.
    form->setPalette(DesignPalette());
    form->setFont(FontPixels("Liberation Sans", 10));
    // Designed bounds of the window's frame; the window keeps its outer size
    // when the window manager adds the frame.
    form->move(194, 170);
    form->resize(1036, 512);

    pHead = PlainPanel(form, Qt::white);
    pHead->setGeometry(4, 0, 973, kHeadHeight);
    Image1 = new TPanel(pHead);
    Image1->setPixmap(QPixmap::fromImage(LoadJpeg(":/logo.jpg")));
    Image1->setScaledContents(true);
    Image1->setGeometry(708, 4, 253, 63);
    Image1->setCursor(Qt::PointingHandCursor);
    Image1->setToolTip(QString("Double click to visit the K740 web page: ") + kProductPage);

    YPanel = PlainPanel(form, colours::kOrange);
    YPanel->setGeometry(0, 72, 965, 20);

    GPanel = PlainPanel(form, Qt::white);
    GPanel->setGeometry(0, 104, 997, 297);

    PosLabel = new QLabel("POSITION", GPanel);
    PosLabel->setFont(FontPixels("Liberation Sans", 30));
    PosLabel->setGeometry(150, 48, 141, 35);
    RefLabel = new QLabel("REFERENCE MARK", GPanel);
    RefLabel->setFont(FontPixels("Liberation Sans", 30));
    RefLabel->setGeometry(574, 48, 280, 35);
    RefLabel->hide();

    pColorStatus = new TPanel(GPanel);
    pColorStatus->setGeometry(140, 68, 389, 141);
    pColorStatus->hide();
    PosPanel = ReadOut(GPanel, colours::kGreen, {148, 92, 400, 104});
    RefPanel = ReadOut(GPanel, colours::kNavy, {576, 92, 400, 104});
    RefPanel->hide();

    bbZero = new QPushButton("ZERO", GPanel);
    bbZero->setFont(FontPixels("Liberation Sans", 23, true));
    bbZero->setGeometry(24, 108, 80, 69);
    bbZero->setEnabled(false);
    bbZeroRef = new QPushButton("HOME", GPanel);
    bbZeroRef->setFont(FontPixels("Liberation Sans", 23, true));
    bbZeroRef->setGeometry(364, 4, 80, 69);
    bbZeroRef->hide();

    ExtStPanel = new QWidget(GPanel);
    ExtStPanel->setGeometry(0, 247, 941, 21);
    ExtStPanel1 = StatusField(ExtStPanel, 0, 120);
    ExtStPanel2 = StatusField(ExtStPanel, 120, 250);
    ExtStPanel3 = StatusField(ExtStPanel, 370, 140);
    ExtStPanel3->setToolTip("Double click to Turn On / Off");
    for (TPanel* field : {ExtStPanel1, ExtStPanel2, ExtStPanel3})
        field->hide();
    AuxLogoPanel = StatusField(ExtStPanel, 0, 353);
    Image2 = new QLabel(AuxLogoPanel);
    Image2->setPixmap(TransparentBitmap(":/banner.bmp"));
    Image2->setGeometry(-136, 0, 321, 23);

    DataPanel = new QWidget(GPanel);
    DataPanel->setGeometry(780, 0, 185, 221);
    DataPanel->hide();
    cbAutoCapture = new QCheckBox("Capture every", DataPanel);
    cbAutoCapture->setFont(FontPixels("Carlito", 13));
    cbAutoCapture->setGeometry(0, 6, 105, 17);
    Edit1 = new QLineEdit(DataPanel);
    Edit1->setFont(FontPixels("Carlito", 13));
    Edit1->setFrame(false);
    SetPaletteColour(*Edit1, QPalette::Base, colours::kButtonFace);
    Edit1->setGeometry(98, 4, 43, 23);
    udCaptureInterval = new TUpDown(DataPanel);
    udCaptureInterval->setAssociate(Edit1);
    udCaptureInterval->setThousands(false);
    udCaptureInterval->setRange(100, 10000);
    udCaptureInterval->setIncrement(100);
    udCaptureInterval->setPosition(kDefaultCaptureIntervalMs);
    udCaptureInterval->setGeometry(141, 4, 20, 23);
    Label6 = new QLabel("ms", DataPanel);
    Label6->setFont(FontPixels("Carlito", 13));
    Label6->setGeometry(164, 6, 16, 15);
    DataMemo = new QPlainTextEdit(DataPanel);
    DataMemo->setFont(FontPixels("Liberation Mono", 17));
    DataMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    DataMemo->setGeometry(1, 28, 183, 192);
    DataMemo->setToolTip("Press F2 to capture");
    // Named for assistive technology, as the settings dialog names its fields.
    Edit1->setAccessibleName(cbAutoCapture->text() + " ... " + Label6->text());
    DataMemo->setAccessibleName("Capture list");

    StPanel = new QWidget(form);
    StPanel->setGeometry(0, 427, 909, 21);
    StPanel1 = StatusField(StPanel, 0, 120);
    StPanel2 = StatusField(StPanel, 120, 250);
    StPanel3 = StatusField(StPanel, 370, 448);
    StPanel3->setFont(FontPixels("Liberation Sans", 11));
    // The fields with a command take the keyboard: Enter or Space runs it.
    for (TPanel* field : {ExtStPanel2, ExtStPanel3, StPanel3})
        field->setFocusPolicy(Qt::TabFocus);

    // Diagnostic labels; nothing shows them.
    for (QLabel** label : {&Label1, &Label2, &Label3, &Label4, &Label5}) {
        *label = new QLabel(form);
        (*label)->setTextFormat(Qt::PlainText);
        (*label)->hide();
    }

    BlinkTrigger = Timer(form, kBlinkMs);
    TrigTimer = Timer(form, 200);
}

} // namespace k740
