#pragma once

#include <QMessageBox>
#include <QPointer>
#include <functional>

class QWidget;

namespace quillstone {

class ContentView;

// The wizard's three alerts, each up exactly while its flag in the state is
// set. They open window-modal once the state's change has been handled, so a
// confirmation never runs inside the action that raised it.
class WizardAlerts {
public:
    WizardAlerts(ContentView& view, QWidget* window);
    ~WizardAlerts();

    void refresh();

    QMessageBox* existingInstallation() const { return existing_; }
    QMessageBox* removal() const { return removal_; }
    QMessageBox* welcomeRemoval() const { return welcomeRemoval_; }

private:
    struct Texts {
        QString title;
        QString message;
        QString confirm;
        QMessageBox::ButtonRole confirmRole;
    };

    void sync(QPointer<QMessageBox>& box, bool wanted, const std::function<Texts()>& texts,
              std::function<void()> confirmed, std::function<void()> dismissed);

    ContentView& view_;
    QWidget* window_;
    QPointer<QMessageBox> existing_;
    QPointer<QMessageBox> removal_;
    QPointer<QMessageBox> welcomeRemoval_;
};

} // namespace quillstone
