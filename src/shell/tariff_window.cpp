#include "shell/tariff_window.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include "shell/form_widgets.h"
#include "shell/message_window.h"
#include "shell/pictures.h"
#include "shell/screen_fit.h"

namespace tallix::shell {
namespace {

constexpr int kColumns = 72;  // the example's lines with their comments
constexpr int kLines = 16;

}  // namespace

TariffWindow::TariffWindow(const std::string& text, std::function<bool(const std::string&)> save)
    : QWidget(dialogOwner(), Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      save_(std::move(save)) {
  setObjectName("FormTariff");
  setAttribute(Qt::WA_DeleteOnClose);
  setAttribute(Qt::WA_QuitOnClose, false);
  setWindowTitle(" tariff.ini");
  setWindowIcon(programIcon());

  auto* layout = new QVBoxLayout(this);
  editor_ = new QPlainTextEdit(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())), this);
  editor_->setObjectName("txtTariff");
  editor_->setAccessibleName("tariff");
  editor_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  editor_->setLineWrapMode(QPlainTextEdit::NoWrap);
  // A tariff needs no tab characters: Tab moves on to the buttons, as in a dialog.
  editor_->setTabChangesFocus(true);
  const QFontMetrics metrics(editor_->font());
  editor_->setMinimumSize(kColumns * metrics.horizontalAdvance('0'), kLines * metrics.lineSpacing());
  layout->addWidget(editor_, 1);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  auto* saveButton = new QPushButton("Save", this);
  saveButton->setObjectName("cmdTariffSave");
  auto* cancelButton = new QPushButton("Cancel", this);
  cancelButton->setObjectName("cmdTariffCancel");
  buttons->addWidget(saveButton);
  buttons->addWidget(cancelButton);
  layout->addLayout(buttons);

  connect(saveButton, &QPushButton::clicked, this, [this] {
    if (save_(editor_->toPlainText().toUtf8().toStdString())) close();
  });
  connect(cancelButton, &QPushButton::clicked, this, &QWidget::close);
  // Escape cancels, as Cancel does.
  connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &QWidget::close);
}

TariffWindow* TariffWindow::open(const std::string& text, std::function<bool(const std::string&)> save) {
  static QPointer<TariffWindow> current;
  if (!current) {
    current = new TariffWindow(text, std::move(save));
    current->resize(current->sizeHint());
    centreOnScreen(*current);
  }
  current->show();
  current->raise();
  current->activateWindow();
  return current;
}

}  // namespace tallix::shell
