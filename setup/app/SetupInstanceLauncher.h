#pragma once

namespace quillstone {

// Opens a new instance of the setup application (wizard mode).
class SetupInstanceLauncher {
public:
    virtual ~SetupInstanceLauncher() = default;
    // Throws when the new instance could not be started; what() describes why.
    virtual void openNewInstance() = 0;
};

} // namespace quillstone
