#include "setup/wizard/widgets/WizardWindow.h"

#include "setup/wizard/ContentView.h"
#include "setup/wizard/widgets/ApplicationActivation.h"
#include "setup/wizard/widgets/ClassicInstallScreen.h"
#include "setup/wizard/widgets/IntegrationScreen.h"
#include "setup/wizard/widgets/NextStepsScreen.h"
#include "setup/wizard/widgets/SD4ActivationScreen.h"
#include "setup/wizard/widgets/SetupGlassBackground.h"
#include "setup/wizard/widgets/StatusFolderScreen.h"
#include "setup/wizard/widgets/UpgradePrompt.h"
#include "setup/wizard/widgets/WelcomeScreen.h"
#include "setup/wizard/widgets/WizardAlerts.h"
#include "setup/wizard/widgets/WizardButton.h"
#include "setup/wizard/widgets/WizardFooter.h"
#include "setup/wizard/widgets/WizardStepColumn.h"
#include "setup/wizard/widgets/WizardStyle.h"
#include "setup/wizard/widgets/WizardTopBar.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace quillstone {

namespace {
QWidget* divider(Qt::Orientation orientation, QWidget* parent) {
    auto* line = new QWidget(parent);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, WizardStyle::white(0.12));
    line->setPalette(palette);
    if (orientation == Qt::Horizontal) {
        line->setFixedHeight(1);
    } else {
        line->setFixedWidth(1);
    }
    return line;
}

QScrollArea* scrolling(QWidget* screen, QWidget* parent) {
    auto* area = new QScrollArea(parent);
    area->setFrameShape(QFrame::NoFrame);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->setWidgetResizable(true);
    area->setWidget(screen);
    area->viewport()->setAutoFillBackground(false);
    area->verticalScrollBar()->setStyleSheet(QStringLiteral(
        "QScrollBar:vertical { background: transparent; width: 10px; margin: 4px 2px 4px 0; }"
        "QScrollBar::handle:vertical { background: rgba(255, 255, 255, 60); border-radius: 4px; min-height: 40px; }"
        "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
        "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: transparent; }"));
    screen->setAutoFillBackground(false);
    return area;
}
} // namespace

WizardWindow::WizardWindow(ContentView& view, bool translucent, QWidget* parent)
    : QWidget(parent), view_(view), alerts_(std::make_unique<WizardAlerts>(view, this)) {
    setFixedSize(ContentView::width, ContentView::height);
    setPalette(WizardStyle::darkPalette());
    if (translucent) {
        setAttribute(Qt::WA_TranslucentBackground);
    }
    background_ = new SetupGlassBackground(translucent, this);

    content_ = new QWidget(this);
    auto* column = new QVBoxLayout(content_);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    topBar_ = new WizardTopBar(content_);
    topBar_->setIcon(windowIcon());
    column->addWidget(topBar_);
    column->addWidget(divider(Qt::Horizontal, content_));

    auto* middle = new QHBoxLayout;
    middle->setSpacing(0);
    QStringList steps;
    for (const char* step : ContentView::stepTitles) {
        steps << step;
    }
    stepColumn_ = new WizardStepColumn(steps, content_);
    middle->addWidget(stepColumn_);
    middle->addWidget(divider(Qt::Vertical, content_));
    stack_ = new QStackedWidget(content_);
    screens_[welcome] = new WelcomeScreen(view);
    screens_[integration] = new IntegrationScreen(view);
    screens_[statusFolder] = new StatusFolderScreen(view);
    screens_[sd4Activation] = new SD4ActivationScreen(view);
    screens_[classicInstallation] = new ClassicInstallScreen(view);
    screens_[nextSteps] = new NextStepsScreen(view);
    for (int screen = 0; screen < screenCount; ++screen) {
        areas_[screen] = scrolling(screens_[screen], stack_);
        stack_->addWidget(areas_[screen]);
    }
    middle->addWidget(stack_, 1);
    column->addLayout(middle, 1);
    column->addWidget(divider(Qt::Horizontal, content_));
    footer_ = new WizardFooter(content_);
    column->addWidget(footer_);

    prompt_ = new UpgradePrompt(this);

    connect(topBar_->updateButton(), &QAbstractButton::clicked, this, [this] { view_.openAvailableUpdate(); });
    connect(footer_->back(), &QAbstractButton::clicked, this, [this] { view_.goBack(); });
    connect(footer_->continueButton(), &QAbstractButton::clicked, this, [this] { view_.goForward(); });
    connect(footer_->removal(), &QAbstractButton::clicked, this, [this] { view_.requestRemoval(); });
    connect(footer_->finish(), &QAbstractButton::clicked, this, [this] { view_.finish(); });
    connect(prompt_->cancelButton(), &QAbstractButton::clicked, this, [this] { view_.cancelUpgrade(); });
    connect(prompt_->upgradeButton(), &QAbstractButton::clicked, this, [this] { view_.performUpgrade(); });
    activation_ = std::make_unique<ApplicationActivation>([this] {
        // A running action pumps events; its own end redraws what changed.
        if (!view_.isWindowDisabled()) {
            view_.refreshMonitorState();
            view_.refreshShortcutState();
        }
    });
    view_.setOnChange([this] { refresh(); });
    refresh();
}

WizardWindow::~WizardWindow() { view_.setOnChange(nullptr); }

WizardWindow::Screen WizardWindow::currentScreen() const {
    switch (view_.currentStep()) {
    case 0:
        return welcome;
    case 1:
        return integration;
    case 2:
        return statusFolder;
    case 3:
        return view_.selectedIntegration() == QuillstoneIntegration::classic ? classicInstallation : sd4Activation;
    default:
        return nextSteps;
    }
}

void WizardWindow::refresh() {
    topBar_->setUpdateVersion(view_.availableUpdate() ? QString::fromStdString(view_.availableUpdate()->version)
                                                      : QString());
    topBar_->setStepText(QString::fromStdString(view_.stepText()));
    stepColumn_->setCurrentStep(view_.currentStep());
    stepColumn_->setGuideAddress(QString::fromStdString(view_.setupGuideLabel()));

    const Screen shown = currentScreen();
    // Only the screen on show: the Classic one looks into the folder each time it is drawn.
    screens_[shown]->refresh();
    stack_->setCurrentIndex(shown);
    keepResultInView(shown);

    footer_->setLastStep(view_.isLastStep(), QString::fromStdString(view_.removalButtonTitle()));
    footer_->back()->setEnabled(view_.canGoBack());
    footer_->continueButton()->setEnabled(view_.canContinue());

    const auto& candidate = view_.upgradeCandidate();
    if (candidate) {
        prompt_->setTexts(QString::fromStdString(view_.upgradeInstalledText()),
                          QString::fromStdString(view_.upgradeQuestionText()),
                          QString::fromStdString(view_.upgradeKeepsText()));
        prompt_->setErrorMessage(QString::fromStdString(view_.upgradeErrorMessage()));
        prompt_->setInProgress(view_.isUpgradeInProgress());
        prompt_->setGeometry(rect());
        prompt_->raise();
    }
    prompt_->present(candidate.has_value());
    prompt_->setEnabled(!view_.isWindowDisabled());
    // Nothing beneath the prompt reacts while it is up.
    content_->setEnabled(!view_.isWindowDisabled() && !candidate);

    alerts_->refresh();
}

void WizardWindow::keepResultInView(Screen screen) {
    QLabel* result = screens_[screen]->resultLine();
    const QString text = result != nullptr && result->isVisibleTo(screens_[screen]) ? result->text() : QString();
    if (text != shownResults_[screen] && !text.isEmpty()) {
        // Once the layout has placed the new line.
        QTimer::singleShot(0, areas_[screen], [area = areas_[screen], result] {
            area->widget()->layout()->activate();
            area->widget()->resize(area->widget()->width(), area->widget()->heightForWidth(area->widget()->width()));
            area->ensureWidgetVisible(result, 0, 24);
        });
    }
    shownResults_[screen] = text;
}

void WizardWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    window()->activateWindow();
    if (!shownOnce_) {
        shownOnce_ = true;
        view_.checkForUpdate();
    }
}

void WizardWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    background_->setGeometry(rect());
    content_->setGeometry(rect());
    prompt_->setGeometry(rect());
}

} // namespace quillstone
