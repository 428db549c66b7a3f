#include "platform/qt/QtMainQueue.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

namespace quillstone {

namespace {

// Any event it gets means "run what was posted"; it never reads the event,
// whose memory only Qt touches.
class PostedWorkReceiver : public QObject {
public:
    explicit PostedWorkReceiver(std::function<void()> runPosted) : runPosted_(std::move(runPosted)) {}

    bool event(QEvent*) override {
        runPosted_();
        return true;
    }

private:
    std::function<void()> runPosted_;
};

} // namespace

QtMainQueue::QtMainQueue() : receiver_(std::make_unique<PostedWorkReceiver>([this] { posted_.runAll(); })) {}

QtMainQueue::~QtMainQueue() = default;

void QtMainQueue::post(std::function<void()> work) {
    if (QCoreApplication::instance() == nullptr) {
        return;
    }
    posted_.add(std::move(work));
    // A wake-up may find its work already run by an earlier one; none is ever missing.
    QCoreApplication::postEvent(receiver_.get(), new QEvent(QEvent::User));
}

} // namespace quillstone
