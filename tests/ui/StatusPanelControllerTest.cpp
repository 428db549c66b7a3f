#include "status/widgets/DashboardTitleRow.h"
#include "status/widgets/EmptyStatusView.h"
#include "status/widgets/MonitorPill.h"
#include "status/widgets/PlainTextButton.h"
#include "status/widgets/ProminentButton.h"
#include "status/widgets/RefreshButton.h"
#include "status/widgets/StatusEntryRow.h"
#include "status/widgets/StatusPanel.h"
#include "status/widgets/StatusPanelController.h"
#include "status/widgets/StatusFont.h"
#include "status/widgets/StatusPalette.h"
#include "support/StatusFakes.h"
#include "ui/StatusUiSupport.h"

#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

using namespace quillstone;
using namespace quillstone::testing;
using namespace std::chrono;
namespace fs = std::filesystem;

namespace {

class StatusPanelControllerTest : public ::testing::Test, public StatusPopoverRig {
protected:
    WithApplication application;
    std::unique_ptr<StatusPopover> popover;
    StatusPanel panel;

    void writeConfiguration(const std::string& integration) {
        writeText(home / ".local/share/Quillstone/configuration.json",
                  R"({"integration":")" + integration + R"(","quillstoneFolderPath":")" + (root / "folder").string() +
                      "\"}");
    }
    void writeStatus(const std::string& backups) {
        writeText(root / "folder/backup_status.json", R"({"backups":[)" + backups + "]}");
    }
    void open(std::string manifestURL = "") {
        popover = makePopover({.manifestURL = std::move(manifestURL)});
        panel.setLocale(QLocale::c());
        new StatusPanelController(*popover, panel, [] {});
        panel.show();
        settle();
    }
    void settle() {
        StatusPopoverRig::settle();
        QApplication::processEvents();
    }
};

TEST_F(StatusPanelControllerTest, RestartWithoutConfigurationReportsRefreshClearsTheMessageAndClassicHasNoRestart) {
    commands.succeeds["print"] = false;
    open();
    saveScreenshot(panel, QStringLiteral("status-no-configuration"));
    EXPECT_EQ(panel.titleRow()->pill()->textLabel()->text(), QStringLiteral("Monitor stopped"));
    ASSERT_TRUE(panel.restartButton()->isVisible());

    QTest::mouseClick(panel.restartButton(), Qt::LeftButton);
    EXPECT_FALSE(panel.restartButton()->isEnabled()) << "one restart at a time";
    settle();
    EXPECT_TRUE(panel.restartButton()->isEnabled());
    EXPECT_TRUE(panel.actionMessageLabel()->isVisible());
    EXPECT_EQ(panel.actionMessageLabel()->text(), QStringLiteral("The monitor could not be started."));
    saveScreenshot(panel, QStringLiteral("status-restart-message"));

    QTest::mouseClick(panel.refreshButton(), Qt::LeftButton, {}, panel.refreshButton()->rect().center());
    settle();
    EXPECT_FALSE(panel.actionMessageLabel()->isVisible());

    // Classic is not restarted from here.
    writeConfiguration("classic");
    QTest::mouseClick(panel.refreshButton(), Qt::LeftButton, {}, panel.refreshButton()->rect().center());
    settle();
    saveScreenshot(panel, QStringLiteral("status-classic-incomplete"));
    EXPECT_EQ(panel.titleRow()->pill()->textLabel()->text(), QStringLiteral("Classic setup incomplete"));
    EXPECT_FALSE(panel.titleRow()->pill()->isActive());
    EXPECT_LT(panel.titleRow()->pill()->geometry().right(), panel.titleRow()->width()) << "the whole pill shows";
    EXPECT_FALSE(panel.restartButton()->isVisible());
    EXPECT_TRUE(panel.emptyView()->isVisible());
}

TEST_F(StatusPanelControllerTest, RowsShowTheDocumentAndOnlyExactSuccessSucceeds) {
    writeConfiguration("sd4");
    writeStatus(R"({"id":"1","name":"Macintosh HD","status":"SUCCESS","completedAt":"2024-05-01T08:55:00Z","freeSpace":"412 GB"},
                {"id":"2","name":"Photos","status":"success","completedAt":"2024-05-01T10:59:30Z","freeSpace":""},
                {"id":"3","name":"Archive","status":"FAILED","completedAt":"yesterday"})");
    open();
    saveScreenshot(panel, QStringLiteral("status-success-lower-case"));
    const auto& rows = panel.entryList()->rows();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_TRUE(rows[0]->succeeded());
    EXPECT_EQ(rows[0]->outcomeLabel()->text(), QStringLiteral("Succeeded"));
    EXPECT_EQ(rows[0]->ageLabel()->text(), QStringLiteral("2h 5m"));
    EXPECT_TRUE(rows[0]->freeSpaceLabel()->isVisible());
    EXPECT_EQ(rows[0]->freeSpaceLabel()->font().family(), StatusFont::monospaced(10).family());
    EXPECT_FALSE(rows[1]->succeeded());
    EXPECT_EQ(rows[1]->accent(), StatusPalette::statusAccentRose());
    EXPECT_EQ(rows[1]->outcomeLabel()->text(), QStringLiteral("Attention needed"));
    EXPECT_EQ(rows[1]->ageLabel()->text(), QStringLiteral("now"));
    EXPECT_FALSE(rows[1]->freeSpaceLabel()->isVisible()) << "an empty free space has no line";
    EXPECT_EQ(rows[2]->ageLabel()->text(), QStringLiteral("yesterday"));
}

TEST_F(StatusPanelControllerTest, UpdateOfferOpensItsDownloadThroughTheWorkspace) {
    http.response.body = R"({"version":"2.4","build":41,"downloadURL":"https://quillstone.app/download"})";
    open("https://quillstone.app/version.json");
    saveScreenshot(panel, QStringLiteral("status-update-offer"));
    PlainTextButton* offer = panel.updateButton();
    ASSERT_TRUE(offer->isVisible());
    EXPECT_EQ(offer->text(), QStringLiteral("New version 2.4 available"));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(offer)->text(QAccessible::Name),
              QStringLiteral("Open Quillstone version 2.4 download"));
    EXPECT_EQ(offer->accessibleDescription(), QStringLiteral("New version 2.4 available"));
    QTest::mouseClick(offer, Qt::LeftButton);
    EXPECT_EQ(workspace.opened, (std::vector<std::string>{"https://quillstone.app/download"}));
}

TEST_F(StatusPanelControllerTest, TimerTicksRepaintOnlyWhatChanged) {
    writeConfiguration("sd4");
    writeStatus(R"({"id":"1","name":"Mac","status":"SUCCESS","completedAt":"2024-05-01T10:00:00Z"})");
    open();
    QTest::qWait(50);
    struct PaintCounter : QObject {
        int paints = 0;
        std::string painted;
        bool eventFilter(QObject* object, QEvent* event) override {
            if (event->type() == QEvent::Paint) {
                ++paints;
                painted += std::string(object->metaObject()->className()) + " ";
            }
            return false;
        }
    } counter;
    QList<QWidget*> widgets = panel.findChildren<QWidget*>();
    widgets.push_back(&panel);
    for (QWidget* widget : widgets) {
        widget->installEventFilter(&counter);
    }
    // 11:00:00 to 11:00:55: the same minute, the same ages.
    for (int tick = 0; tick < 11; ++tick) {
        clock.advance(seconds(5));
        timer.tick();
        settle();
    }
    EXPECT_EQ(counter.paints, 0) << counter.painted;
    clock.advance(seconds(5));
    timer.tick();
    settle();
    EXPECT_EQ(panel.lastRefreshedLabel()->text().right(5), QDateTime::fromSecsSinceEpoch(
        duration_cast<seconds>(clock.now().time_since_epoch()).count()).toString(QStringLiteral("HH:mm")));
    EXPECT_GT(counter.paints, 0);
}

} // namespace
