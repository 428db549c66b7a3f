#pragma once

#include "status/widgets/StatusEntryList.h"

#include <QDateTime>
#include <QWidget>

#include <optional>

class QLabel;

namespace quillstone {

class DashboardTitleRow;
class EmptyStatusView;
class GlassEffectView;
class PlainTextButton;
class ProminentButton;
class RefreshButton;

// The panel of Quillstone Status: header with the wordmark and the refresh
// button, then the dashboard with the monitor pill, the entries and the actions.
// It only shows what it is given and reports what the user does.
class StatusPanel : public QWidget {
    Q_OBJECT
public:
    static constexpr int panelWidth = 350;
    static constexpr const char* lastRefreshedPrefix = "Last refreshed: ";
    static constexpr const char* restartTitle = "Restart monitor";
    static constexpr const char* stopTitle = "Stop App";
    static constexpr const char* updateTitle = "New version %1 available";
    static constexpr const char* updateLabel = "Open Quillstone version %1 download";

    explicit StatusPanel(QWidget* parent = nullptr);

    void setMonitorStatus(const QString& text, bool active);
    // Shown as hours and minutes of local time.
    void setLastRefreshed(const QDateTime& moment);
    // No items: the empty state.
    void setRows(const std::vector<StatusRow>& rows);
    // While a restart runs the button stays, disabled.
    void setRestartOffered(bool offered, bool enabled = true);
    void setActionMessage(const QString& message);
    void setAvailableUpdate(const std::optional<QString>& version);
    void setRefreshHovered(bool hovered);
    void setTranslucent(bool translucent);

    DashboardTitleRow* titleRow() const { return titleRow_; }
    RefreshButton* refreshButton() const { return refresh_; }
    QLabel* lastRefreshedLabel() const { return lastRefreshed_; }
    StatusEntryList* entryList() const { return entries_; }
    EmptyStatusView* emptyView() const { return empty_; }
    ProminentButton* restartButton() const { return restart_; }
    QLabel* actionMessageLabel() const { return actionMessage_; }
    PlainTextButton* stopButton() const { return stop_; }
    PlainTextButton* updateButton() const { return update_; }

signals:
    void refreshRequested();
    void refreshHoverChanged(bool hovered);
    void restartRequested();
    void updateRequested();
    void stopRequested();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* buildHeader(QWidget* parent);
    QWidget* buildBody(QWidget* parent);
    void relayout();

    GlassEffectView* glass_;
    QWidget* body_ = nullptr;
    RefreshButton* refresh_ = nullptr;
    DashboardTitleRow* titleRow_ = nullptr;
    QLabel* lastRefreshed_ = nullptr;
    StatusEntryList* entries_ = nullptr;
    EmptyStatusView* empty_ = nullptr;
    ProminentButton* restart_ = nullptr;
    QLabel* actionMessage_ = nullptr;
    PlainTextButton* stop_ = nullptr;
    PlainTextButton* update_ = nullptr;
};

} // namespace quillstone
