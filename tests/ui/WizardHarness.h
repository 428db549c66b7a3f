#pragma once

#include "platform/HttpClient.h"
#include "platform/qt/SymbolIcon.h"
#include "setup/wizard/widgets/WizardButton.h"
#include "setup/wizard/widgets/WizardWindow.h"
#include "support/FakeBundles.h"
#include "support/WizardFakes.h"
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

namespace quillstone::testing {

struct FakeHttpClient : HttpClient {
    HttpResponse response; // not transferred unless a test says otherwise
    HttpResponse get(const std::string&) override { return response; }
};

// The wizard's window on fakes, in a throwaway home and bundle.
class WizardHarness : public WizardFixture {
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
        writeBundle("2.3", "40", "https://quillstone.app/version.json", "https://quillstone.app");
        httpClient = &fakeHttp;
        applications = "/Applications";
        std::filesystem::create_directories(home);
    }

    // Builds the state (start-up checks run now) and its window.
    void open() {
        window = std::make_unique<WizardWindow>(start(), false);
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

    // The visible widget of that kind showing the text, among the window's widgets.
    template <typename Widget> Widget* visible(const QString& text) const {
        for (Widget* shown : window->findChildren<Widget*>()) {
            if (shown->isVisibleTo(window.get()) && shown->text() == text) {
                return shown;
            }
        }
        return nullptr;
    }
    QAbstractButton* button(const QString& name) const { return visible<QAbstractButton>(name); }
    bool shows(const QString& text) const { return visible<QLabel>(text) != nullptr; }

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

    // Saves the window as drawn and checks that it reads the same to assistive technologies.
    void screenshot(const QString& name) const {
        QApplication::processEvents();
        EXPECT_TRUE(window->grab().save(screenshotPath(name)));
        expectReadable(*window, name);
        expectAccessibleAsDrawn();
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
        for (QAbstractButton* choice : box->buttons()) {
            if (choice->text() == title) {
                return choice;
            }
        }
        return nullptr;
    }

    FakeHttpClient fakeHttp;
    std::unique_ptr<WizardWindow> window;
};

} // namespace quillstone::testing
