// Writes a Quillstone configuration and the empty status document, as the
// setup wizard does once a folder is chosen. For demonstrations and tests.
#include "setup/model/QuillstoneConfigurationStore.h"
#include "setup/model/QuillstoneStatusDocument.h"

#include <iostream>
#include <string>

using namespace quillstone;

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: quillstone-config sd4|classic FOLDER\n";
        return 2;
    }
    auto integration = integrationFromRawValue(argv[1]);
    if (!integration) {
        std::cerr << "quillstone-config: unknown integration \"" << argv[1] << "\"\n";
        return 2;
    }
    try {
        auto& files = PosixFileManager::shared();
        QuillstoneConfigurationStore store(files);
        QuillstoneConfiguration configuration{1, *integration, argv[2]};
        store.save(configuration);
        files.createDirectories(configuration.quillstoneFolderPath);
        auto statusFile = std::filesystem::path(configuration.quillstoneFolderPath) / QuillstoneStatusDocument::fileName;
        bool created = QuillstoneStatusDocument::createEmptyIfMissing(files, statusFile);
        std::cout << "configuration: " << store.fileURL().string() << "\n"
                  << "status file:   " << statusFile.string() << (created ? " (created)" : " (kept)") << "\n";
    } catch (const std::exception& error) {
        std::cerr << "quillstone-config: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
