#pragma once

#include "setup/app/WizardBusName.h"

#include <QDBusVirtualObject>

#include <functional>
#include <map>
#include <string>
#include <sys/types.h>

namespace quillstone {

// One setup wizard per user, the desktop's way: the running wizard owns the
// session-bus name com.quillstone.Quillstone-Setup.Wizard (the bare bundle name
// is the monitor's) and answers the freedesktop Application interface; a later
// launch asks it to come forward instead of running beside it.
class WizardInstanceService : public QDBusVirtualObject {
public:
    static constexpr const char* serviceName = WizardBusName::serviceName;
    static constexpr const char* objectPath = WizardBusName::objectPath;
    static constexpr const char* interfaceName = "org.freedesktop.Application";

    // Platform data of an activation: "activation-token" (Wayland), "desktop-startup-id" (X11).
    using PlatformData = std::map<std::string, std::string>;

    explicit WizardInstanceService(std::function<void(const PlatformData&)> activate);
    ~WizardInstanceService() override;

    enum class Registration { registered, taken, noBus };
    // Claimed at once or not at all, so of two racing launches exactly one wins.
    Registration registerOnSessionBus();

    // Asks the wizard that owns the name to come forward; false when none answered.
    static bool activateRunningInstance(const PlatformData& platformData);
    // What this launch carries from the launcher that started it.
    static PlatformData launchPlatformData();

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

private:
    std::function<void(const PlatformData&)> activate_;
    bool registered_ = false;
};

} // namespace quillstone
