#pragma once
#include <QObject>
#include <initializer_list>

class QSocketNotifier;

namespace k740 {

// What a second arrival of one of the signals does.
enum class TSignalRepeat {
    Delivered,   // each arrival is reported
    EndsProcess, // the first arrival puts every signal of the set back to its default action
};

// Turns POSIX signals into a Qt signal on the event loop (self-pipe). One
// instance per process.
class TSignalPipe : public QObject {
    Q_OBJECT
public:
    TSignalPipe(std::initializer_list<int> signalNumbers, TSignalRepeat repeat, QObject* parent = nullptr);
    ~TSignalPipe() override;

signals:
    void received(int signalNumber);

private:
    void drain();

    QSocketNotifier* Notifier = nullptr;
};

} // namespace k740
