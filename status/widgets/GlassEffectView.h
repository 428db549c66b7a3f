#pragma once

#include <QImage>
#include <QWidget>

namespace quillstone {

// The panel's dark glass: shadows, the rounded backdrop with its fills and
// sheen, and both border strokes, drawn around whatever it holds. Translucent
// only where a compositor blends it with what lies behind; else opaque.
class GlassEffectView : public QWidget {
public:
    static constexpr int padding = 7;
    static constexpr qreal cornerRadius = 32;

    explicit GlassEffectView(QWidget* parent = nullptr);

    void setTranslucent(bool translucent);
    bool isTranslucent() const { return translucent_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QImage render(QSize size, qreal devicePixelRatio) const;

    bool translucent_ = false;
    QImage cache_;
};

} // namespace quillstone
