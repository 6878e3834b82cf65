#pragma once
#include "ui/widgets/read_out.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTimer;
class QWidget;

namespace k740 {

class TPanel;
class TUpDown;

// The product web page, opened by a double click on the logo.
extern const char kProductPage[];

// Designed intervals and sizes that the handlers set again.
inline constexpr int kBlinkMs = 500;         // BlinkTrigger outside homing
inline constexpr int kHeadHeight = 72;       // pHead while it shows the top logo
inline constexpr int kHomeButtonHeight = 30; // HOME beside a single read-out

// The main window's controls and timers under their designed names, created
// with their designed bounds, texts and fonts by setupUi. The window keeps
// them private; tests read them through the window's const accessor.
struct TMainFormControls {
    void setupUi(QWidget* form);

    QWidget* pHead = nullptr;
    TPanel* Image1 = nullptr;
    QWidget* YPanel = nullptr;
    QWidget* GPanel = nullptr;
    QLabel* PosLabel = nullptr;
    QLabel* RefLabel = nullptr;
    TPanel* pColorStatus = nullptr;
    TReadOut* PosPanel = nullptr;
    TReadOut* RefPanel = nullptr;
    QPushButton* bbZero = nullptr;
    QPushButton* bbZeroRef = nullptr;
    QWidget* ExtStPanel = nullptr;
    TPanel* ExtStPanel1 = nullptr;
    TPanel* ExtStPanel2 = nullptr;
    TPanel* ExtStPanel3 = nullptr;
    TPanel* AuxLogoPanel = nullptr;
    QLabel* Image2 = nullptr;
    QWidget* DataPanel = nullptr;
    QCheckBox* cbAutoCapture = nullptr;
    QLineEdit* Edit1 = nullptr;
    TUpDown* udCaptureInterval = nullptr;
    QLabel* Label6 = nullptr;
    QPlainTextEdit* DataMemo = nullptr;
    QWidget* StPanel = nullptr;
    TPanel* StPanel1 = nullptr;
    TPanel* StPanel2 = nullptr;
    TPanel* StPanel3 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;

    QTimer* BlinkTrigger = nullptr;
    QTimer* TrigTimer = nullptr;
};

} // namespace k740
