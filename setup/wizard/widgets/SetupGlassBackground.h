#pragma once

#include <QWidget>

namespace quillstone {

// The window's dark background with its decorative glows. Translucent where a
// compositor blends it with what lies behind the window; opaque elsewhere.
class SetupGlassBackground : public QWidget {
public:
    explicit SetupGlassBackground(bool translucent, QWidget* parent = nullptr);

    bool isTranslucent() const { return translucent_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool translucent_;
};

} // namespace quillstone
