#include "status/widgets/DashboardTitleRow.h"
#include "status/widgets/EmptyStatusView.h"
#include "status/widgets/MonitorPill.h"
#include "status/widgets/PlainTextButton.h"
#include "status/widgets/ProminentButton.h"
#include "status/widgets/RefreshButton.h"
#include "status/widgets/StatusEntryRow.h"
#include "status/widgets/StatusPanel.h"
#include "status/widgets/StatusPalette.h"
#include "ui/StatusUiSupport.h"

#include <QLabel>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <utility>

using namespace quillstone;
using namespace quillstone::testing;

namespace {

StatusRow item(const std::string& id, bool succeeded, std::optional<std::string> freeSpace = "412 GB") {
    return {id, "Backup " + id, succeeded, succeeded ? StatusRow::succeededText : StatusRow::attentionText, "2h 5m",
            std::move(freeSpace)};
}

class StatusPanelTest : public ::testing::Test {
protected:
    StatusPanelTest() {
        panel.setMonitorStatus(QStringLiteral("Monitor active"), true);
        panel.setLocale(QLocale::c());
        panel.setLastRefreshed(QDateTime(QDate(2024, 5, 1), QTime(10, 42, 37)));
        panel.show();
    }

    WithApplication application;
    StatusPanel panel;
};

TEST_F(StatusPanelTest, LastRefreshedIsTheLocalesShortTimeWithoutSeconds) {
    for (const auto& [locale, shown] :
         {std::pair{"en_US", "Last refreshed: 2:42 PM"}, std::pair{"de_DE", "Last refreshed: 14:42"},
          std::pair{"C", "Last refreshed: 14:42"}}) {
        panel.setLocale(QLocale(QString::fromUtf8(locale)));
        panel.setLastRefreshed(QDateTime(QDate(2024, 5, 1), QTime(14, 42, 37)));
        QApplication::processEvents();
        saveScreenshot(panel, QStringLiteral("status-last-refreshed-%1").arg(QString::fromUtf8(locale)));
        EXPECT_EQ(panel.lastRefreshedLabel()->text(), QString::fromUtf8(shown)) << locale;
    }
}

TEST_F(StatusPanelTest, ListIsEightyEightPerEntryUpToFourScrollsBeyondAndGivesWayToTheEmptyState) {
    EXPECT_EQ(panel.width(), 350 + 2 * 7);
    struct Case {
        int count;
        int height;
        bool scrolls;
        const char* screenshot;
    };
    for (const Case& test : {Case{0, 0, false, "status-empty"}, Case{1, 88, false, "status-one-entry"},
                             Case{5, 352, true, "status-five-entries"}, Case{0, 0, false, "status-emptied"}}) {
        std::vector<StatusRow> items;
        for (int index = 0; index < test.count; ++index) {
            items.push_back(item(std::to_string(index + 1), true));
        }
        panel.setRows(items);
        QApplication::processEvents();
        saveScreenshot(panel, QString::fromUtf8(test.screenshot));
        EXPECT_EQ(panel.emptyView()->isVisible(), test.count == 0) << test.count;
        EXPECT_EQ(panel.entryList()->isVisible(), test.count > 0) << test.count;
        if (test.count == 0) {
            EXPECT_EQ(panel.emptyView()->messageLabel()->text(), QStringLiteral("No backup status yet"));
            continue;
        }
        EXPECT_EQ(panel.entryList()->height(), test.height) << test.count;
        EXPECT_EQ(panel.height(), panel.sizeHint().height()) << "no stale room left from the last layout";
        EXPECT_EQ(panel.entryList()->verticalScrollBar()->maximum() > 0, test.scrolls) << test.count;
        EXPECT_FALSE(panel.entryList()->verticalScrollBar()->isVisible());
        ASSERT_EQ(panel.entryList()->rows().size(), static_cast<size_t>(test.count));
        EXPECT_EQ(panel.entryList()->rows().back()->nameLabel()->text(),
                  QStringLiteral("Backup %1").arg(test.count));
    }
}

// Every screenshot checks what assistive technologies read; the window test, the names over AT-SPI.
TEST_F(StatusPanelTest, ControlQPressesStopApp) {
    QSignalSpy stops(&panel, &StatusPanel::stopRequested);
    panel.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&panel));
    QTest::keyClick(&panel, Qt::Key_Q, Qt::ControlModifier);
    // A shortcut presses the button visibly first, then clicks it.
    EXPECT_TRUE(QTest::qWaitFor([&] { return stops.count() == 1; }, 1000));
}

TEST_F(StatusPanelTest, RefreshButtonFollowsItsStyleTableThroughTheAnimations) {
    RefreshButton* button = panel.refreshButton();
    auto settled = [&](const RefreshButtonAppearance& expected) {
        return QTest::qWaitFor([&] {
            const RefreshButtonAppearance now = button->currentAppearance();
            return qFuzzyCompare(now.scale, expected.scale) && qFuzzyCompare(now.glowRadius, expected.glowRadius);
        }, 1000);
    };
    saveScreenshot(*button, QStringLiteral("status-refresh-idle"), true);
    QSignalSpy hovers(&panel, &StatusPanel::refreshHoverChanged);
    QEnterEvent enter(QPointF(25, 25), QPointF(25, 25), QPointF(25, 25));
    QApplication::sendEvent(button, &enter);
    EXPECT_EQ(hovers.count(), 1);
    panel.setRefreshHovered(true);
    // Mid-animation the button is neither idle nor hovered yet.
    EXPECT_LT(button->currentAppearance().scale, 1.06);
    ASSERT_TRUE(settled(RefreshButtonStyle::hovered()));
    saveScreenshot(*button, QStringLiteral("status-refresh-hovered"), true);

    QSignalSpy refreshes(&panel, &StatusPanel::refreshRequested);
    QTest::mousePress(button, Qt::LeftButton, {}, QPoint(25, 25));
    ASSERT_TRUE(settled(RefreshButtonStyle::pressed()));
    EXPECT_EQ(button->currentAppearance().accent, StatusPalette::statusAccentBlue());
    saveScreenshot(*button, QStringLiteral("status-refresh-pressed"), true);
    QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(25, 25));
    EXPECT_EQ(refreshes.count(), 1);
    ASSERT_TRUE(settled(RefreshButtonStyle::hovered()));

    // The hit area is the circle, not its square.
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(12, 12));
    EXPECT_EQ(refreshes.count(), 1);
}

} // namespace
