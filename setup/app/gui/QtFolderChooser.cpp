#include "setup/app/gui/QtFolderChooser.h"

#include "setup/wizard/widgets/WizardStyle.h"

#include <QFileDialog>

namespace quillstone {

QFileDialog* QtFolderChooser::makeDialog(const QuillstoneFolderChoice& choice, QWidget* parent) {
    auto* dialog = new QFileDialog(parent, QString::fromStdString(choice.panelTitle),
                                   QString::fromStdString(choice.startingFolder.string()));
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    if (choice.canChooseDirectories && !choice.canChooseFiles) {
        dialog->setFileMode(QFileDialog::Directory);
        dialog->setOption(QFileDialog::ShowDirsOnly);
    } else {
        dialog->setFileMode(choice.allowsMultipleSelection ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    }
    dialog->setOption(QFileDialog::ReadOnly, !choice.canCreateDirectories);
    dialog->setLabelText(QFileDialog::Accept, QString::fromStdString(choice.panelPrompt));
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->setPalette(WizardStyle::darkPalette());
    return dialog;
}

std::optional<std::filesystem::path> QtFolderChooser::operator()(const QuillstoneFolderChoice& choice) const {
    std::unique_ptr<QFileDialog> dialog(makeDialog(choice, parent_));
    if (dialog->exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    const QStringList chosen = dialog->selectedFiles();
    if (chosen.isEmpty() || chosen.front().isEmpty()) {
        return std::nullopt;
    }
    return std::filesystem::path(chosen.front().toStdString());
}

} // namespace quillstone
