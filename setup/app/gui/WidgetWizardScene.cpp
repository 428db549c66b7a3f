#include "setup/app/gui/WidgetWizardScene.h"

#include "setup/app/QuillstoneAppDelegate.h"
#include "setup/app/gui/QtSetupWindow.h"
#include "setup/app/gui/SetupWindowRegistration.h"
#include "setup/wizard/ContentView.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>

namespace quillstone {

WidgetWizardScene::~WidgetWizardScene() { QObject::disconnect(lastWindowClosed_); }

std::unique_ptr<QCoreApplication> WidgetWizardScene::makeApplication(int& argc, char** argv) {
    return std::make_unique<QApplication>(argc, argv);
}

void WidgetWizardScene::present(QuillstoneAppDelegate& delegate, QuillstoneConfigurationStore& configurationStore) {
    auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (gui == nullptr) {
        return; // no GUI application object: nothing can be shown
    }
    // Asked at the moment it happens, not fixed at start.
    gui->setQuitOnLastWindowClosed(false);
    lastWindowClosed_ = QObject::connect(gui, &QGuiApplication::lastWindowClosed, [&delegate] {
        if (delegate.applicationShouldTerminateAfterLastWindowClosed()) {
            QCoreApplication::quit();
        }
    });

    window_ = std::make_unique<QWidget>();
    window_->setWindowTitle(QString::fromUtf8(windowTitle));
    window_->resize(defaultWidth, defaultHeight);
    auto* layout = new QGridLayout(window_.get());
    layout->setContentsMargins(0, 0, 0, 0);
    // Placeholder until the wizard's widgets host ContentView here, with this store.
    static_cast<void>(configurationStore);
    auto* placeholder = new QLabel(QString::fromUtf8(ContentView::title), window_.get());
    placeholder->setAlignment(Qt::AlignCenter);
    placeholder->setFixedSize(ContentView::width, ContentView::height);
    layout->addWidget(placeholder, 0, 0);

    SetupWindowRegistration registration([&delegate](QWidget* window) {
        delegate.registerMainWindow(std::make_shared<QtSetupWindow>(window));
    });
    auto* registrationView = registration.makeView(window_.get());
    layout->addWidget(registrationView, 0, 0, Qt::AlignCenter);
    registrationView->lower();
}

} // namespace quillstone
