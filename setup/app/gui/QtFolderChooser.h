#pragma once

#include "setup/wizard/QuillstoneFolderChoice.h"

#include <QPointer>
#include <QWidget>
#include <filesystem>
#include <optional>

class QFileDialog;

namespace quillstone {

// The wizard's folder panel: Qt's own file dialog, the same on every desktop.
class QtFolderChooser {
public:
    explicit QtFolderChooser(QWidget* parent = nullptr) : parent_(parent) {}

    void setParent(QWidget* parent) { parent_ = parent; }
    // Runs the panel modally; nullopt when the user cancels.
    std::optional<std::filesystem::path> operator()(const QuillstoneFolderChoice& choice) const;

    // The dialog as the panel is set up, not yet shown.
    static QFileDialog* makeDialog(const QuillstoneFolderChoice& choice, QWidget* parent);

private:
    QPointer<QWidget> parent_;
};

} // namespace quillstone
