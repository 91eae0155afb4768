#include "shell/main_window.h"

#include <QCloseEvent>
#include <QLayout>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QWindow>

#include "app/calculation_view.h"
#include "app/budget.h"
#include "app/form1_events.h"
#include "app/tariff_setting.h"
#include "form/layouts.h"
#include "period/entry.h"
#include "shell/fonts.h"
#include "shell/pictures.h"
#include "shell/screen_fit.h"
#include "shell/tariff_window.h"
#include "shell/usage_window.h"

namespace tallix::shell {
namespace {

// The window's outer size is given in twips; its client area is what is left
// inside the borders, the title bar and the menu bar.
constexpr double kBorderTwips = 60;
constexpr double kTitleBarTwips = 330;
constexpr double kMenuBarTwips = 300;
// How long to wait for the window manager's frame after the window shows.
constexpr int kPlaceChecks = 40;
constexpr int kPlaceCheckMs = 50;

}  // namespace

MainWindow::MainWindow(MainForm& form, std::function<void()> endProgram)
    : form_(form), endProgram_(std::move(endProgram)) {
  setObjectName("Form1");
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  setWindowIcon(programIcon());
  setAttribute(Qt::WA_QuitOnClose, false);
  setDialogOwner(this);

  menuBar()->setNativeMenuBar(false);  // the one item stays in the window
#ifndef _WIN32
  // Windows draws menus in its own menu font; elsewhere the default face
  // would be loaded at one more size for this one word.
  menuBar()->setFont(buttonFont());
#endif
  closeAction_ = menuBar()->addAction(QString::fromLatin1(kCloseCaption.data(), kCloseCaption.size()));
  closeAction_->setObjectName("mClose");
  connect(closeAction_, &QAction::triggered, this, &QWidget::close);

  client_ = new QWidget(this);
  client_->setObjectName("Form1Client");
  setCentralWidget(client_);
  widgets_ = std::make_unique<FormWidgets>(client_, form1Design());
  layout()->setSizeConstraint(QLayout::SetFixedSize);

  timer1_.setInterval(1000);
  connect(&timer1_, &QTimer::timeout, this, [this] { runEvent(Timer1_TickAndBudget); });
  placeTimer_.setSingleShot(true);
  placeTimer_.setInterval(kPlaceCheckMs);
  connect(&placeTimer_, &QTimer::timeout, this, &MainWindow::settlePlace);
  wireEvents();
}

void MainWindow::wireEvents() {
  auto onClick = [this](ControlName name, std::function<void(MainForm&)> handler) {
    auto* button = widgets_->get<QPushButton>(name);
    connect(button, &QPushButton::clicked, this, [this, handler = std::move(handler)] { runEvent(handler); });
  };
  onClick(form1::cmdMain, [](MainForm& f) { ShowView(f, "Main"); });
  onClick(form1::cmdSettings, [](MainForm& f) { ShowView(f, "Settings"); });
  onClick(form1::cmdCaculation, [](MainForm& f) { ShowView(f, "Calculation"); });
  onClick(form1::cmdInput, cmdInput_Click);
  onClick(form1::cmdConfirm, cmdConfirm_Click);
  onClick(form1::cmdRecover, cmdRecover_Click);
  onClick(form1::cmdLoad, cmdLoad_Click);
  onClick(form1::cmdTariff, [this](MainForm& f) {
    TariffWindow::open(tariffText(f), [this](const std::string& text) {
      bool taken = false;
      runEvent([&taken, &text](MainForm& form) { taken = cmdTariffSave_Click(form, text); });
      return taken;
    });
  });

  auto dayBox = [this](ControlName name, void (*keyPress)(MainForm&, std::int16_t&)) {
    auto* box = widgets_->get<FilteredLineEdit>(name);
    box->setKeyFilter([this, keyPress](std::int16_t& keyAscii) {
      runEvent([&keyAscii, keyPress](MainForm& f) { keyPress(f, keyAscii); });
    });
    connect(box, &QLineEdit::textChanged, this, [this, name](const QString& text) { form_[name].caption = toModel(text); });
  };
  dayBox(form1::txtStartDay, txtStartDay_KeyPress);
  dayBox(form1::txtEndDay, txtEndDay_KeyPress);

  auto limitBox = [this](ControlName name, void (*lostFocus)(MainForm&)) {
    auto* box = widgets_->get<QLineEdit>(name);
    connect(box, &QLineEdit::textChanged, this, [this, name](const QString& text) { form_[name].caption = toModel(text); });
    connect(box, &QLineEdit::editingFinished, this, [this, lostFocus] { runEvent(lostFocus); });
  };
  limitBox(form1::txtBudget, txtBudget_LostFocus);
  limitBox(form1::txtAllowance, txtAllowance_LostFocus);

  auto setting = [this](ControlName name, void (*mouseUp)(MainForm&)) {
    auto* box = widgets_->get<ReleaseCheckBox>(name);
    connect(box, &QCheckBox::toggled, this, [this, name](bool on) { form_[name].value = on ? 1 : 0; });
    connect(box, &ReleaseCheckBox::mouseReleased, this, [this, box, name, mouseUp] {
      form_[name].value = box->isChecked() ? 1 : 0;
      runEvent(mouseUp);
    });
  };
  setting(form1::chkRunMe, chkRunMe_MouseUp);
  setting(form1::chkToBeMin, chkToBeMin_MouseUp);

  for (ControlName name : {form1::File1, form1::List1}) {
    auto* list = widgets_->get<QListWidget>(name);
    connect(list, &QListWidget::itemSelectionChanged, this, [this, list, name] {
      const QList<QListWidgetItem*> chosen = list->selectedItems();
      form_[name].listIndex = chosen.isEmpty() ? -1 : list->row(chosen.front());
    });
  }
  // A double-click on a log opens its Usage window.
  connect(widgets_->get<QListWidget>(form1::File1), &QListWidget::itemDoubleClicked, this,
          [this](QListWidgetItem* item) { UsageWindow::open(usageView(form_, toModel(item->text()))); });
}

void MainWindow::pullWindowState() {
  if (!rendered_) return;
  form_.windowLeft = static_cast<float>(toTwips(pos().x()));
  form_.windowTop = static_cast<float>(toTwips(pos().y()));
  appliedLeft_ = form_.windowLeft;
  appliedTop_ = form_.windowTop;
  if (isMinimized()) {
    form_.windowState = WindowState::Minimized;
  } else if (isMaximized()) {
    form_.windowState = WindowState::Maximized;
  } else {
    form_.windowState = WindowState::Normal;
  }
  form_.windowVisible = isVisible();
}

void MainWindow::runEvent(const std::function<void(MainForm&)>& handler) {
  pullWindowState();
  handler(form_);
  render();
  if (form_.budget.linesMade != linesSeen_) {
    linesSeen_ = form_.budget.linesMade;
    emit periodLineMade();
  }
}

void MainWindow::render() {
  const QString title = fromModel(form_.Caption);
  if (windowTitle() != title) setWindowTitle(title);

  const QSize client(toPixels(form_.windowWidth - 2 * kBorderTwips),
                     toPixels(form_.windowHeight - 2 * kBorderTwips - kTitleBarTwips - kMenuBarTwips));
  if (client.width() > 0 && client.height() > 0 && client_->size() != client) client_->setFixedSize(client);

  if (form_.placed && (!appliedPlace_ || form_.windowLeft != appliedLeft_ || form_.windowTop != appliedTop_)) {
    wantedPlace_ = QPoint(toPixels(form_.windowLeft), toPixels(form_.windowTop));
    const QSize outer = isVisible() ? frameGeometry().size() : sizeHint().grownBy(kFrameAllowance);
    move(keptInside(QRect(wantedPlace_, outer), availableAreaAt(wantedPlace_)));
    appliedLeft_ = form_.windowLeft;
    appliedTop_ = form_.windowTop;
    appliedPlace_ = true;
    placeChecks_ = kPlaceChecks;
    if (isVisible()) settlePlace();
  }

  widgets_->sync(form_.controls);

  if (form_.windowVisible) {
    if (form_.windowState == WindowState::Normal && (isMinimized() || isMaximized()))
      setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized));
    if (!isVisible()) {
      show();
      if (placeChecks_ > 0) placeTimer_.start();
    }
  } else if (isVisible()) {
    hide();
  }
  rendered_ = true;
}

void MainWindow::settlePlace() {
  if (!isVisible() || placeChecks_ <= 0) return;
  const QMargins frame = windowHandle()->frameMargins();
  if (frame.isNull() && --placeChecks_ > 0) {
    placeTimer_.start();
    return;
  }
  placeChecks_ = 0;
  const QPoint corner = keptInside(QRect(wantedPlace_, size().grownBy(frame)), availableAreaAt(wantedPlace_));
  const QPoint client = corner + QPoint(frame.left(), frame.top());
  if (geometry().topLeft() != client) windowHandle()->setPosition(client);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // The model decides; the window is never closed by Qt itself.
  event->ignore();
  CloseOutcome outcome = CloseOutcome::Hide;
  runEvent([&outcome](MainForm& f) { outcome = Form1_Form_QueryUnload(f); });
  if (outcome == CloseOutcome::EndProgram && endProgram_) endProgram_();
}

}  // namespace tallix::shell
