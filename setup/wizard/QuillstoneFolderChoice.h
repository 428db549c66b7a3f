#pragma once

#include <filesystem>
#include <string>

namespace quillstone {

// How the folder panel of the status-folder step is set up.
struct QuillstoneFolderChoice {
    static constexpr const char* title = "Choose where Quillstone status should be stored";
    static constexpr const char* prompt = "Choose";

    std::string panelTitle = title;
    std::string panelPrompt = prompt;
    bool canChooseFiles = false;
    bool canChooseDirectories = true;
    bool allowsMultipleSelection = false;
    bool canCreateDirectories = true;
    std::filesystem::path startingFolder;
};

} // namespace quillstone
