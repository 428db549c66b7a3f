#include "status/widgets/WordmarkView.h"

#include "status/widgets/GradientLabel.h"
#include "status/widgets/StatusFont.h"
#include "status/widgets/StatusPalette.h"

#include <QHBoxLayout>
#include <QLabel>

namespace quillstone {

WordmarkView::WordmarkView(QWidget* parent) : QWidget(parent) {
    const QFont font = StatusFont::system(25, QFont::Bold);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(StatusFont::label(QString::fromUtf8(firstStem), font, Qt::white, this));
    auto* stone = new GradientLabel(QString::fromUtf8(secondStem), StatusPalette::systemBlue(),
                                    StatusPalette::systemPurple(), this);
    stone->setFont(font);
    layout->addWidget(stone);
}

} // namespace quillstone
