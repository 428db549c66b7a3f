#include "status/widgets/EmptyStatusView.h"

#include "platform/qt/SymbolIcon.h"
#include "status/widgets/StatusFont.h"
#include "status/widgets/StatusPalette.h"

#include <QLabel>
#include <QVBoxLayout>

namespace quillstone {

EmptyStatusView::EmptyStatusView(QWidget* parent)
    : QWidget(parent),
      message_(StatusFont::label(QString::fromUtf8(message), StatusFont::system(13, QFont::Medium),
                                 StatusPalette::white(0.55), this)) {
    auto* symbol = new QLabel(this);
    symbol->setPixmap(SymbolIcon::pixmap(QStringLiteral("externaldrive.badge.questionmark"), 28,
                                         StatusPalette::white(0.55), devicePixelRatioF()));
    symbol->setAlignment(Qt::AlignCenter);
    message_->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(8);
    layout->addWidget(symbol);
    layout->addWidget(message_);
}

} // namespace quillstone
