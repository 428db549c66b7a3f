#include "setup/model/QuillstoneConfigurationStore.h"

#include <QCoreApplication>
#include <cstring>
#include <iostream>

int main(int argc, char** argv) {
    bool monitorMode = false;
    for (int index = 1; index < argc; ++index) {
        monitorMode = monitorMode || std::strcmp(argv[index], "--quillstone-sd4-monitor") == 0;
    }
    QCoreApplication application(argc, argv);
    quillstone::QuillstoneConfigurationStore store;
    std::cout << (monitorMode ? "monitor" : "wizard") << " mode; configuration at " << store.fileURL().string()
              << "\n";
    return 0;
}
