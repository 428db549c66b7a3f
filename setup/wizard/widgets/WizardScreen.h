#pragma once

#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

namespace quillstone {

class ContentView;
class ScreenHeader;

// One screen of the wizard: its header, then its content, redrawn from the state.
class WizardScreen : public QWidget {
public:
    WizardScreen(ContentView& view, const QString& symbol, const QString& title, const QString& subtitle,
                 QWidget* parent = nullptr);

    // Re-reads everything it shows from the state.
    virtual void refresh() = 0;
    // The line that reports an action's result, kept in view when it changes.
    virtual QLabel* resultLine() const { return nullptr; }

protected:
    ContentView& view() const { return view_; }
    QVBoxLayout* content() const { return content_; }
    ScreenHeader* header() const { return header_; }

private:
    ContentView& view_;
    ScreenHeader* header_;
    QVBoxLayout* content_;
};

} // namespace quillstone
