#pragma once

namespace quillstone {

// Quillstone Status as a program: a menu-bar item whose panel shows the
// backup status. Holds no state of its own; run() assembles the panel, the
// tray item and the single-instance service and runs the event loop.
class QuillstoneStatusApp {
public:
    QuillstoneStatusApp(int& argc, char** argv) : argc_(argc), argv_(argv) {}

    // The program's exit status.
    int run();

private:
    int& argc_;
    char** argv_;
};

} // namespace quillstone
