#include "setup/wizard/widgets/ApplicationActivation.h"

#include <QGuiApplication>

namespace quillstone {

ApplicationActivation::ApplicationActivation(std::function<void()> becameActive) {
    auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (application == nullptr) {
        return;
    }
    connection_ = QObject::connect(application, &QGuiApplication::applicationStateChanged, application,
                                   [becameActive = std::move(becameActive)](Qt::ApplicationState state) {
                                       if (state == Qt::ApplicationActive) {
                                           becameActive();
                                       }
                                   });
}

ApplicationActivation::~ApplicationActivation() { QObject::disconnect(connection_); }

} // namespace quillstone
