#pragma once

#include "setup/app/SetupWindow.h"

#include <QPointer>
#include <QWidget>

namespace quillstone {

// A top-level Qt widget as the wizard's window; a window that has gone away is ignored.
class QtSetupWindow : public SetupWindow {
public:
    explicit QtSetupWindow(QWidget* window);

    void deminiaturize() override;
    void makeKeyAndOrderFront() override;
    void detachContentView() override;

    QWidget* widget() const { return window_; }

private:
    QPointer<QWidget> window_;
};

} // namespace quillstone
