#pragma once

#include <QDBusVirtualObject>
#include <functional>

namespace quillstone {

// The monitor-mode process's answer to "reopen": the method Reopen on the object
// "/" of the session-bus name com.quillstone.Quillstone-Setup. Linux has no
// reopen event of its own; this is how a launcher or a user asks for the wizard.
class ReopenDBusService : public QDBusVirtualObject {
public:
    static constexpr const char* serviceName = "com.quillstone.Quillstone-Setup";
    static constexpr const char* objectPath = "/";
    // Bus names may carry a hyphen, interface names may not.
    static constexpr const char* interfaceName = "com.quillstone.QuillstoneSetup";
    static constexpr const char* methodName = "Reopen";

    explicit ReopenDBusService(std::function<bool()> reopen);
    ~ReopenDBusService() override;

    // False when there is no session bus or the name is taken; the monitor runs on without it.
    bool registerOnSessionBus();

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

private:
    std::function<bool()> reopen_;
    bool registered_ = false;
};

} // namespace quillstone
