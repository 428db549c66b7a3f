#pragma once

#include <QWidget>

class QLabel;

namespace quillstone {

// The head of every screen: its symbol in a mint tile, the title and the subtitle.
class ScreenHeader : public QWidget {
public:
    ScreenHeader(const QString& symbol, const QString& title, const QString& subtitle, QWidget* parent = nullptr);

    void setContent(const QString& symbol, const QString& title, const QString& subtitle);
    QLabel* title() const { return title_; }

private:
    QLabel* tile_;
    QLabel* title_;
    QLabel* subtitle_;
};

} // namespace quillstone
