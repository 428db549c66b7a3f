#pragma once

#include <QWidget>
#include <functional>

namespace quillstone {

// Learns which window hosts the wizard: an invisible view placed in the
// wizard's view tree that reports its window once it is moved into one.
class SetupWindowRegistration {
public:
    using Register = std::function<void(QWidget* window)>;

    class WindowView : public QWidget {
    public:
        explicit WindowView(Register registerWindow, QWidget* parent = nullptr);

    protected:
        bool event(QEvent* event) override;

    private:
        Register register_;
    };

    explicit SetupWindowRegistration(Register registerWindow);

    // The view to embed; the parent takes ownership.
    WindowView* makeView(QWidget* parent) const;

private:
    Register register_;
};

} // namespace quillstone
