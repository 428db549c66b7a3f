#pragma once

#include <QFrame>

class QLabel;

namespace quillstone {

// A path in the monospaced face, selectable, in a cyan-tinted rounded box.
class PathBox : public QFrame {
public:
    explicit PathBox(const QString& path = QString(), QWidget* parent = nullptr);

    void setPath(const QString& path);
    QString path() const;
    QLabel* label() const { return label_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QLabel* label_;
};

} // namespace quillstone
