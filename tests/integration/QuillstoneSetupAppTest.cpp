#include "setup/app/MainThreadEventPump.h"
#include "setup/app/Quillstone_SetupApp.h"
#include "setup/app/gui/WidgetWizardScene.h"
#include "support/FakeRunningApplications.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>

using namespace quillstone;
using quillstone::testing::FakeRunningApplications;
using quillstone::testing::TemporaryFolder;

namespace {

// One offscreen QApplication for the suite: windows exist, no display is needed.
class SetupAppTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qunsetenv("DBUS_SESSION_BUS_ADDRESS"); // never claim the real session's name
        static int argc = 1;
        static char name[] = "quillstone-setup";
        static char* argv[] = {name, nullptr};
        application = new QApplication(argc, argv);
    }
    static void TearDownTestSuite() {
        delete application;
        application = nullptr;
    }

    TemporaryFolder home;
    PosixFileManager files{UserDomain::rootedAt(home.path())};
    FakeRunningApplications runningApplications;
    QuillstoneSetupSession session{files, runningApplications, [](pid_t) { return false; }, 321};
    QuillstoneProcessRegistry registry{home.path()};
    std::vector<std::string> monitorEvents;
    std::shared_ptr<WidgetWizardScene> scene = std::make_shared<WidgetWizardScene>();

    static QApplication* application;
};

QApplication* SetupAppTest::application = nullptr;

} // namespace

TEST_F(SetupAppTest, TheWizardShowsItsWindowAndEndsWhenItCloses) {
    Quillstone_SetupApp app({.arguments = [] { return std::vector<std::string>{"quillstone-setup"}; },
                             .monitor = {[this] { monitorEvents.push_back("start"); },
                                         [this] { monitorEvents.push_back("stop"); }},
                             .session = session,
                             .registry = registry,
                             .clock = SystemClock::shared(),
                             .scene = scene});
    app.launch();
    ASSERT_NE(scene->window(), nullptr);
    EXPECT_TRUE(scene->window()->isVisible()) << "the registration hook must show the window";
    EXPECT_EQ(scene->window()->size(), QSize(940, 720));
    EXPECT_EQ(scene->window()->windowTitle(), QString("Quillstone"));
    ASSERT_NE(app.appDelegate().mainWindow(), nullptr);
    EXPECT_EQ(session.readRecord()->processIdentifier, 321);

    scene->window()->showMinimized();
    ASSERT_TRUE(scene->window()->isMinimized());
    EXPECT_TRUE(app.appDelegate().applicationShouldHandleReopen(true));
    EXPECT_FALSE(scene->window()->isMinimized()) << "a reopen brings a miniaturized wizard back";
    EXPECT_TRUE(scene->window()->isVisible());

    // Closing every window ends the event loop before the time-out does.
    bool quitByTimeout = false;
    QTimer::singleShot(100, [] { QApplication::closeAllWindows(); });
    QTimer::singleShot(1500, [&] {
        quitByTimeout = true;
        QCoreApplication::quit();
    });
    QApplication::exec();
    EXPECT_FALSE(quitByTimeout);
    EXPECT_FALSE(std::filesystem::exists(session.fileURL())) << "termination clears the own record";
    EXPECT_EQ(app.appDelegate().mainWindow(), nullptr);
    EXPECT_TRUE(scene->window()->findChildren<QWidget*>().isEmpty()) << "the wizard view is detached";
    EXPECT_THROW(registry.makeTemporaryDirectory(home / "late"), QuillstoneCancellationError);
    EXPECT_TRUE(monitorEvents.empty());
}

TEST_F(SetupAppTest, AMainThreadCommandKeepsEventsFlowingWithoutSpinning) {
    registry.setMainThreadEventPump(pumpMainThreadEvents);
    int timerTicks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++timerTicks; });
    timer.start(10);
    ChildProcess command("/bin/sleep", {"0.3"});
    registry.runCapturingOutput(command);
    EXPECT_GE(timerTicks, 10) << "the event loop must turn while a command runs on the main thread";

    // After quit, nested loops return at once; each step must still take its time.
    QCoreApplication::quit();
    auto start = std::chrono::steady_clock::now();
    pumpMainThreadEvents(std::chrono::milliseconds(20));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(20));
}
