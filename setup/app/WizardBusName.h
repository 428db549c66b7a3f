#pragma once

namespace quillstone {

// Where the running wizard answers the freedesktop Application interface; the
// bare bundle name belongs to the monitor.
struct WizardBusName {
    static constexpr const char* serviceName = "com.quillstone.Quillstone-Setup.Wizard";
    static constexpr const char* objectPath = "/com/quillstone/Quillstone_Setup/Wizard";
};

} // namespace quillstone
