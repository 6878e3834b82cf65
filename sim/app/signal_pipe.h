#pragma once
#include <QObject>
#include <initializer_list>

class QSocketNotifier;

namespace k740sim {

// Turns POSIX signals into a Qt signal on the event loop (self-pipe).
class SignalPipe : public QObject {
    Q_OBJECT
public:
    explicit SignalPipe(std::initializer_list<int> signalNumbers, QObject* parent = nullptr);
    ~SignalPipe() override;

signals:
    void received(int signalNumber);

private:
    void drain();

    QSocketNotifier* notifier_ = nullptr;
};

} // namespace k740sim
