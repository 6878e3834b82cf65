#pragma once
#include <QObject>
#include <functional>

class QMouseEvent;
class QWidget;

namespace k740 {

// Reports each press of the left button to `handler` at the widget that
// receives it first, while the watcher exists. Copies of the press that Qt
// hands on to the parents of a widget that ignored it are not reported.
class TPressWatcher : public QObject {
public:
    using THandler = std::function<void(QWidget* receiver, QMouseEvent* event)>;

    explicit TPressWatcher(THandler handler);
    ~TPressWatcher() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    THandler Handler;
};

} // namespace k740
