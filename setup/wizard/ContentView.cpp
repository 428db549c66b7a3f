#include "setup/wizard/ContentView.h"

#include <QLabel>
#include <QVBoxLayout>

namespace quillstone {

ContentView::ContentView(QuillstoneConfigurationStore& configurationStore, QWidget* parent)
    : QWidget(parent), configurationStore_(configurationStore) {
    setFixedSize(width, height);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QString::fromUtf8(title), this), 0, Qt::AlignCenter);
}

} // namespace quillstone
