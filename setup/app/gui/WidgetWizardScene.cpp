#include "setup/app/gui/WidgetWizardScene.h"

#include "platform/Bundle.h"
#include "platform/qt/Compositor.h"
#include "platform/qt/SymbolIcon.h"
#include "setup/app/QuillstoneAppDelegate.h"
#include "setup/app/QuitRequest.h"
#include "setup/app/gui/QtSetupWindow.h"
#include "setup/app/gui/SetupWindowRegistration.h"
#include "setup/wizard/ContentView.h"
#include "setup/wizard/ContentViewEnvironment.h"
#include "setup/wizard/widgets/WizardWindow.h"

#include <QApplication>
#include <QGridLayout>
#include <QIcon>
#include <QKeySequence>
#include <QShortcut>


namespace quillstone {

WidgetWizardScene::WidgetWizardScene() = default;

WidgetWizardScene::~WidgetWizardScene() { tearDown(); }

void WidgetWizardScene::tearDown() {
    QObject::disconnect(lastWindowClosed_);
    if (environment_) {
        environment_->cancelRequests();
    }
    // The window goes first: it stops listening to the state it draws.
    window_.reset();
    view_.reset();
    environment_.reset();
}

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
            QuitRequest::request();
        }
    });
    SymbolIcon::installFallbackTheme();
    const QIcon icon(QString::fromStdString(Bundle::main().resource(iconResource).string()));
    if (!icon.isNull()) {
        QGuiApplication::setWindowIcon(icon);
    }

    environment_ = std::make_unique<ContentViewEnvironment>(configurationStore);
    view_ = std::make_unique<ContentView>(environment_->collaborators(
        [this](const QuillstoneFolderChoice& choice) { return folderChooser_(choice); },
        [] { QuitRequest::request(); }));

    // Asked to end while the start-up checks ran: no window to build only to close it.
    if (QuitRequest::isRequested()) {
        return;
    }
    const bool translucent = Compositor::isRunning();
    window_ = std::make_unique<QWidget>();
    window_->setWindowTitle(QString::fromUtf8(windowTitle));
    window_->setFixedSize(defaultWidth, defaultHeight);
    if (translucent) {
        window_->setAttribute(Qt::WA_TranslucentBackground);
    }
    auto* layout = new QGridLayout(window_.get());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new WizardWindow(*view_, translucent, window_.get()), 0, 0);
    folderChooser_.setParent(window_.get());
    // Like every application: the standard quit keys end it (Ctrl+Q here).
    auto* quit = new QShortcut(QKeySequence::Quit, window_.get());
    quit->setContext(Qt::ApplicationShortcut);
    QObject::connect(quit, &QShortcut::activated, [] { QuitRequest::request(); });

    SetupWindowRegistration registration([&delegate](QWidget* window) {
        delegate.registerMainWindow(std::make_shared<QtSetupWindow>(window));
    });
    auto* registrationView = registration.makeView(window_.get());
    layout->addWidget(registrationView, 0, 0, Qt::AlignCenter);
    registrationView->lower();
}

} // namespace quillstone
