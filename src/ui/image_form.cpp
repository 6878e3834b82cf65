#include "ui/image_form.h"

#include "ui/jpeg_image.h"
#include "ui/screen_area.h"
#include "ui/widgets/palette_colour.h"
#include "ui/widgets/refused_states.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QShowEvent>
#include <QStyle>
#include <QWindow>

// The diagrams are compiled into the ui library; a static library has to
// register its resources itself. (Outside the namespace: the registration
// function is global.)
static void RegisterDiagrams()
{
    Q_INIT_RESOURCE(timing_diagrams);
}

namespace k740 {

namespace {
constexpr QSize kDesignSize{500, 396};
constexpr int kFontPixels = 13;

QLabel* Picture(QWidget* parent, const QString& resource)
{
    auto* label = new QLabel(parent);
    label->setPixmap(QPixmap::fromImage(LoadJpeg(resource)));
    label->setScaledContents(true);
    label->hide();
    return label;
}
} // namespace

TImageForm::TImageForm(QWidget* parent)
    : QDialog(parent,
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
            | Qt::MSWindowsFixedSizeDialogHint)
{
    RegisterDiagrams();
    RefuseWindowStates(this, Qt::WindowMinimized | Qt::WindowMaximized);
    setAutoFillBackground(true);
    SetPaletteColour(*this, QPalette::Window, palette().color(QPalette::Button));
    QFont font("Liberation Sans");
    font.setPixelSize(kFontPixels);
    setFont(font);
    resize(kDesignSize);
    Image1 = Picture(this, ":/diagrams/ssi_timing.jpg");
    Image2 = Picture(this, ":/diagrams/biss_timing.jpg");
    FormCreate();
}

void TImageForm::FormCreate()
{
    for (QLabel* image : {Image1, Image2})
        image->setGeometry(QRect(QPoint(0, 0), image->pixmap().size()));
}

// At the picture's size, or scaled down to what the screen has room for.
void TImageForm::FormShow()
{
    const bool biss = Diagram == TTimingDiagram::Biss;
    QLabel* shown = biss ? Image2 : Image1;
    Image1->setVisible(!biss);
    Image2->setVisible(biss);
    // Named after its diagram: an empty title would show the program's name.
    setWindowTitle(biss ? "BiSS-C Timing Diagram" : "SSI Timing Diagram");
    QSize size = shown->pixmap().size();
    const QSize room = screen()->availableGeometry().size() - FrameExtra(this, parentWidget());
    if (size.width() > room.width() || size.height() > room.height())
        size.scale(room, Qt::KeepAspectRatio);
    shown->resize(size);
    setFixedSize(size);
}

void TImageForm::openDiagram(TTimingDiagram diagram)
{
    Diagram = diagram;
    if (isVisible())
        close();
    // A modal dialog blocks input to every window but its own transient
    // children; opened from one, the window becomes such a child so that it
    // can still be moved and closed beside it.
    if (QWidget* modal = QApplication::activeModalWidget()) {
        create();
        windowHandle()->setTransientParent(modal->windowHandle());
    }
    show();
    // Without a window manager nothing else gives it the keyboard, and Esc
    // would reach the dialog beneath instead.
    activateWindow();
}

// Laid out and centred at its own showing, not at a restore.
void TImageForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    FormShow();
    centreOnScreen();
}

void TImageForm::centreOnScreen()
{
    setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(), screen()->availableGeometry()));
}

} // namespace k740
