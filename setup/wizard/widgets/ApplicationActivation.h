#pragma once

#include <QMetaObject>
#include <functional>

namespace quillstone {

// Calls back each time the application becomes active, as a Mac application
// hears "did become active".
class ApplicationActivation {
public:
    explicit ApplicationActivation(std::function<void()> becameActive);
    ~ApplicationActivation();
    ApplicationActivation(const ApplicationActivation&) = delete;
    ApplicationActivation& operator=(const ApplicationActivation&) = delete;

private:
    QMetaObject::Connection connection_;
};

} // namespace quillstone
