#include "platform/qt/QtMainQueue.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace quillstone {

void QtMainQueue::post(std::function<void()> work) {
    QCoreApplication* application = QCoreApplication::instance();
    if (application == nullptr) {
        return;
    }
    QMetaObject::invokeMethod(application, std::move(work), Qt::QueuedConnection);
}

} // namespace quillstone
