#pragma once

#include "platform/AdministratorScript.h"
#include "platform/Clock.h"
#include "platform/FileManager.h"
#include "platform/HttpClient.h"
#include "platform/UserDomain.h"
#include "platform/Workspace.h"
#include "platform/qt/SymbolIcon.h"
#include "setup/model/QuillstoneConfigurationStore.h"
#include "setup/service/QuillstoneInstalledComponentsStore.h"
#include "setup/wizard/ContentView.h"
#include "setup/wizard/QuillstoneMonitorControl.h"
#include "setup/wizard/QuillstoneShortcutBridge.h"
#include "setup/wizard/QuillstoneShortcutBridgeError.h"
#include "setup/wizard/widgets/WizardButton.h"
#include "setup/wizard/widgets/WizardWindow.h"
#include "support/FakeBundles.h"
#include "support/ManualBackgroundQueue.h"
#include "support/ManualMainQueue.h"
#include "support/TemporaryFolder.h"
#include "ui/ReadableText.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>

#include <stdexcept>

namespace quillstone::testing {

struct FakeMonitorControl : QuillstoneMonitorControl {
    bool plistExists = false;
    bool loaded = false;
    std::string failure; // thrown by every action while set
    int installs = 0;
    std::function<void()> duringAction;

    bool agentPropertyListExists() override { return plistExists; }
    bool isMonitorLoaded() override { return loaded; }
    void act() {
        if (duringAction) {
            duringAction();
        }
        if (!failure.empty()) {
            throw std::runtime_error(failure);
        }
    }
    void installMonitorAgent() override {
        act();
        ++installs;
        plistExists = loaded = true;
    }
    void installClassicStatusHost() override { act(); }
    void uninstallMonitorAgent() override {}
    void removeSD4Monitor() override { act(); }
    void removeLegacyStatusHostAgent() override {}
    void unregisterStatusHost() override { act(); }
    void upgradeMonitorService() override { act(); }
};

struct FakeShortcutBridge : QuillstoneShortcutBridge {
    bool installed = false;
    int opened = 0;
    bool isShortcutInstalled() override { return installed; }
    void openShortcutInstaller() override { ++opened; }
};

struct FakeAdministratorScript : AdministratorScript {
    std::string failure;
    std::function<void()> duringRun;
    void run(const std::string&) override {
        if (duringRun) {
            duringRun();
        }
        if (!failure.empty()) {
            throw std::runtime_error(failure);
        }
    }
};

struct FakeWorkspace : Workspace {
    std::vector<std::string> opened;
    std::vector<std::filesystem::path> applicationURLs(const std::string&) const override { return {}; }
    void recycle(const std::vector<std::filesystem::path>&) override {}
    bool open(const std::string& target) override {
        opened.push_back(target);
        return true;
    }
};

struct FakeHttpClient : HttpClient {
    HttpResponse response; // not transferred unless a test says otherwise
    HttpResponse get(const std::string&) override { return response; }
};

// The wizard's window on fakes, in a throwaway home and bundle.
class WizardHarness {
public:
    WizardHarness() {
        if (QApplication::instance() == nullptr) {
            // One for the whole test program, shared with every other UI test.
            static int argc = 1;
            static char name[] = "ui_tests";
            static char* argv[] = {name, nullptr};
            new QApplication(argc, argv);
        }
        SymbolIcon::installFallbackTheme();
        QApplication::setWindowIcon(QIcon(QUILLSTONE_SOURCE_DIR "/resources/icons/quillstone.svg"));
        const auto bundle = home.path() / "Applications/Quillstone.app";
        writeText(bundle / "Contents/Info.plist",
                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
                  "<key>CFBundleIdentifier</key><string>com.quillstone.Quillstone-Setup</string>"
                  "<key>CFBundleShortVersionString</key><string>2.3</string>"
                  "<key>CFBundleVersion</key><string>40</string>"
                  "<key>QuillstoneWebsiteURL</key><string>https://quillstone.app</string>"
                  "<key>QuillstoneUpdateManifestURL</key><string>https://quillstone.app/version.json</string>"
                  "</dict></plist>\n");
        writeText(bundle / "Contents/Resources/BackupMonitor.sh", "#!/bin/sh\nQUILLSTONE_DIR=__QUILLSTONE_DIR__\n");
        bundlePath = bundle;
    }
    ~WizardHarness() {
        window.reset();
        view.reset();
    }

    // Builds the state (start-up checks run now) and its window.
    void open() {
        view = std::make_unique<ContentView>(ContentView::Collaborators{
            .configurationStore = configurationStore,
            .monitor = monitor,
            .shortcutBridge = shortcuts,
            .fileManager = files,
            .administratorScript = administrator,
            .workspace = workspace,
            .installedComponentsStore = installedComponents,
            .httpClient = http,
            .mainQueue = mainQueue,
            .backgroundQueue = backgroundQueue,
            .clock = clock,
            .bundle = Bundle(bundlePath),
            .applicationsFolder = applicationsFolder,
            .detectUpgradeCandidate = [this] { return candidate; },
            .removeLegacyApplication = [](const std::filesystem::path&) {},
            .chooseFolder = [this](const QuillstoneFolderChoice&) { return chosenFolder; },
            .terminate = [this] { ++terminations; },
        });
        window = std::make_unique<WizardWindow>(*view, false);
        window->setWindowTitle("Quillstone");
        window->show();
        QApplication::processEvents();
    }

    void click(const QString& name) {
        QAbstractButton* target = button(name);
        ASSERT_NE(target, nullptr) << "no visible button " << name.toStdString();
        ASSERT_TRUE(target->isEnabled()) << name.toStdString() << " is disabled";
        QTest::mouseClick(target, Qt::LeftButton);
        QApplication::processEvents();
    }

    // The visible button named so, among the window's widgets.
    QAbstractButton* button(const QString& name) const {
        for (QAbstractButton* candidate : window->findChildren<QAbstractButton*>()) {
            if (candidate->isVisibleTo(window.get()) && candidate->text() == name) {
                return candidate;
            }
        }
        return nullptr;
    }

    bool shows(const QString& text) const {
        for (QLabel* label : window->findChildren<QLabel*>()) {
            if (label->isVisibleTo(window.get()) && label->text() == text) {
                return true;
            }
        }
        return false;
    }

    // Every visible text and control as assistive technologies see it: the
    // accessible name of each object, exactly as drawn.
    void expectAccessibleAsDrawn() const {
        for (QLabel* label : window->findChildren<QLabel*>()) {
            if (label->isVisibleTo(window.get()) && !label->text().isEmpty()) {
                QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(label);
                ASSERT_NE(accessible, nullptr);
                EXPECT_EQ(accessible->text(QAccessible::Name), label->text());
            }
        }
        for (QAbstractButton* control : window->findChildren<QAbstractButton*>()) {
            if (control->isVisibleTo(window.get())) {
                QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
                ASSERT_NE(accessible, nullptr);
                EXPECT_FALSE(control->text().isEmpty()) << "a button without a name";
                EXPECT_EQ(accessible->text(QAccessible::Name), control->text());
                EXPECT_EQ(accessible->state().disabled, !control->isEnabled()) << control->text().toStdString();
            }
        }
    }

    static QString screenshotPath(const QString& name) {
        QDir().mkpath(QUILLSTONE_SCREENSHOT_DIR);
        return QStringLiteral(QUILLSTONE_SCREENSHOT_DIR "/") + name + ".png";
    }

    void screenshot(const QString& name) const {
        QApplication::processEvents();
        EXPECT_TRUE(window->grab().save(screenshotPath(name)));
        expectReadable(*window, name);
    }

    // The window with an alert over it, as the user sees both.
    void screenshot(const QString& name, QWidget* alert) const {
        QApplication::processEvents();
        QPixmap picture = window->grab();
        const QPixmap box = alert->grab();
        QPainter painter(&picture);
        painter.fillRect(picture.rect(), QColor(0, 0, 0, 90));
        painter.drawPixmap((picture.width() - box.width()) / 2, 120, box);
        painter.end();
        EXPECT_TRUE(picture.save(screenshotPath(name)));
        expectReadable(*alert, name);
    }

    // The open alert, once it has been shown.
    static QMessageBox* openAlert() {
        QMessageBox* shown = nullptr;
        static_cast<void>(QTest::qWaitFor([&] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (auto* box = qobject_cast<QMessageBox*>(widget); box != nullptr && box->isVisible()) {
                    shown = box;
                    return true;
                }
            }
            return false;
        }, 2000));
        return shown;
    }

    static QAbstractButton* alertButton(QMessageBox* box, const QString& title) {
        for (QAbstractButton* candidate : box->buttons()) {
            if (candidate->text() == title) {
                return candidate;
            }
        }
        return nullptr;
    }

    TemporaryFolder home;
    PosixFileManager files{UserDomain::rootedAt(home.path())};
    QuillstoneConfigurationStore configurationStore{files};
    QuillstoneInstalledComponentsStore installedComponents{files};
    FakeMonitorControl monitor;
    FakeShortcutBridge shortcuts;
    FakeAdministratorScript administrator;
    FakeWorkspace workspace;
    FakeHttpClient http;
    ManualMainQueue mainQueue;
    ManualBackgroundQueue backgroundQueue;
    ManualClock clock{std::chrono::system_clock::time_point{std::chrono::seconds{1'800'000'000}}};
    std::filesystem::path bundlePath;
    std::filesystem::path applicationsFolder = "/Applications";
    std::optional<QuillstoneUpgradeCandidate> candidate;
    std::optional<std::filesystem::path> chosenFolder;
    int terminations = 0;

    std::unique_ptr<ContentView> view;
    std::unique_ptr<WizardWindow> window;
};

} // namespace quillstone::testing
