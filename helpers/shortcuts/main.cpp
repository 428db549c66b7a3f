#include "helpers/shortcuts/ShortcutsCommand.h"

#include <iostream>

int main(int argc, char** argv) {
    using namespace quillstone;
    PosixFileManager& files = PosixFileManager::shared();
    ShortcutLibrary library(files, ShortcutLibrary::folderFor(files.userDomain()));
    ShortcutsCommand command(library, &ShortcutsCommand::execute, std::cout, std::cerr);
    return command.run(std::vector<std::string>(argv + 1, argv + argc));
}
