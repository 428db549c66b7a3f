#include "resources/details-shortcut/DetailsShortcut.h"
#include "tools/superduper4/SuperDuperRunRecord.h"

#include <iostream>

int main(int argc, char** argv) {
    using namespace quillstone;
    PosixFileManager& files = PosixFileManager::shared();
    DetailsShortcut shortcut(files, SuperDuperRunRecord::runsFolder(files.userDomain()), std::cerr);
    return shortcut.run(std::vector<std::string>(argv + 1, argv + argc));
}
