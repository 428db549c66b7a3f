#pragma once

#include <QDBusVirtualObject>

#include <functional>

namespace quillstone {

// One Quillstone Status per user: the running one owns the session-bus name
// com.quillstone.Quillstone-Setup.Status and answers ShowPanel; a second start
// asks it to show its panel instead of running beside it.
class StatusInstanceService : public QDBusVirtualObject {
public:
    static constexpr const char* serviceName = "com.quillstone.Quillstone-Setup.Status";
    static constexpr const char* objectPath = "/";
    // Bus names may carry a hyphen, interface names may not.
    static constexpr const char* interfaceName = "com.quillstone.QuillstoneStatus";
    static constexpr const char* methodName = "ShowPanel";

    explicit StatusInstanceService(std::function<void()> showPanel);
    ~StatusInstanceService() override;

    enum class Registration { registered, taken, noBus };
    Registration registerOnSessionBus();
    // Asks the instance that owns the name to show its panel; false when none answered.
    static bool showRunningInstance();

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

private:
    std::function<void()> showPanel_;
    bool registered_ = false;
};

} // namespace quillstone
