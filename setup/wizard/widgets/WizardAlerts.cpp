#include "setup/wizard/widgets/WizardAlerts.h"

#include "setup/wizard/ContentView.h"
#include "setup/wizard/widgets/WizardStyle.h"

#include <QPushButton>
#include <QTimer>

namespace quillstone {

WizardAlerts::WizardAlerts(ContentView& view, QWidget* window) : view_(view), window_(window) {}

WizardAlerts::~WizardAlerts() {
    for (QMessageBox* box : {existing_.data(), removal_.data(), welcomeRemoval_.data()}) {
        delete box;
    }
}

void WizardAlerts::refresh() {
    sync(
        existing_, view_.showsExistingInstallationConfirmation(),
        [] {
            return Texts{ContentView::existingInstallationTitle, ContentView::existingInstallationMessage,
                         ContentView::existingInstallationConfirmTitle, QMessageBox::AcceptRole};
        },
        [this] { view_.confirmExistingInstallation(); }, [this] { view_.dismissExistingInstallationConfirmation(); });
    sync(
        removal_, view_.showsRemovalConfirmation(),
        [this] {
            return Texts{QString::fromStdString(view_.removalAlertTitle()),
                         QString::fromStdString(view_.removalAlertMessage()),
                         QString::fromStdString(view_.removalAlertDestructiveTitle()), QMessageBox::DestructiveRole};
        },
        [this] {
            view_.dismissRemovalConfirmation();
            view_.removeInstalledComponent();
        },
        [this] { view_.dismissRemovalConfirmation(); });
    sync(
        welcomeRemoval_, view_.showsWelcomeRemovalConfirmation(),
        [this] {
            return Texts{ContentView::welcomeRemovalAlertTitle, QString::fromStdString(view_.removalAlertMessage()),
                         ContentView::welcomeRemovalDestructiveTitle, QMessageBox::DestructiveRole};
        },
        [this] {
            view_.dismissWelcomeRemovalConfirmation();
            view_.removeInstalledComponent();
        },
        [this] { view_.dismissWelcomeRemovalConfirmation(); });
}

void WizardAlerts::sync(QPointer<QMessageBox>& box, bool wanted, const std::function<Texts()>& texts,
                        std::function<void()> confirmed, std::function<void()> dismissed) {
    if (!wanted) {
        if (box) {
            box->disconnect();
            box->close();
            box->deleteLater();
            box = nullptr;
        }
        return;
    }
    if (box) {
        return;
    }
    const Texts shown = texts();
    box = new QMessageBox(window_);
    box->setWindowTitle(shown.title);
    box->setText(shown.title);
    box->setInformativeText(shown.message);
    box->setIcon(QMessageBox::Warning);
    box->setWindowModality(Qt::WindowModal);
    box->setPalette(WizardStyle::darkPalette());
    // The title leads in bold, as alerts have it; the message gets room to read.
    // The colours are spelled out: with a style sheet set, Qt draws the labels in
    // its default black rather than the palette's white.
    box->setStyleSheet(QStringLiteral("QMessageBox { background: #1e1f28; }"
                                      "QMessageBox QLabel { color: white; }"
                                      "QLabel#qt_msgbox_label { font-weight: bold; }"
                                      "QLabel#qt_msgbox_informativelabel { min-width: 340px; }"
                                      "QPushButton { color: white; background: #3a3b48; border: 1px solid #55566a;"
                                      " border-radius: 6px; padding: 5px 16px; min-width: 64px; }"
                                      "QPushButton:default { color: #14101a; background: #ff47c7; border-color: #ff47c7; }"
                                      "QPushButton:focus { border-color: white; }"));
    QPushButton* cancel = box->addButton(ContentView::cancelTitle, QMessageBox::RejectRole);
    QPushButton* confirm = box->addButton(shown.confirm, shown.confirmRole);
    box->setEscapeButton(cancel);
    box->setDefaultButton(shown.confirmRole == QMessageBox::DestructiveRole ? cancel : confirm);
    QPointer<QMessageBox>* slot = &box;
    QObject::connect(box, &QMessageBox::finished, box, [slot, confirm, confirmed, dismissed](int) {
        QMessageBox* closing = *slot;
        const bool accepted = closing != nullptr && closing->clickedButton() == confirm;
        if (closing != nullptr) {
            closing->deleteLater();
        }
        *slot = nullptr;
        // The state clears its flag and runs the action; the alert is already gone.
        if (accepted) {
            confirmed();
        } else {
            dismissed();
        }
    });
    // After the change that raised it has been handled.
    QTimer::singleShot(0, box, [target = box.data()] { target->open(); });
}

} // namespace quillstone
