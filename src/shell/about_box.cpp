#include "shell/about_box.h"

#include <QPushButton>

#include "form/layouts.h"
#include "shell/pictures.h"
#include "shell/screen_fit.h"
#include "version.h"

namespace tallix::shell {
namespace {

QPointer<AboutBox>& shared() {
  static QPointer<AboutBox> box;
  return box;
}

}  // namespace

AboutBox::AboutBox()
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      controls_(form4Design()) {
  setObjectName("Form4");
  setAttribute(Qt::WA_DeleteOnClose);
  setAttribute(Qt::WA_QuitOnClose, false);
  setWindowTitle(QString());
  setAccessibleName("About Tallix");  // the box has no title for a screen reader to read
  setWindowIcon(programIcon());
  setFixedSize(toPixels(kForm4ClientWidth), toPixels(kForm4ClientHeight));
  widgets_ = std::make_unique<FormWidgets>(this, form4Design());
  controls_["Label1"].caption = "version " TALLIX_VERSION;
  widgets_->sync(controls_);
  auto* ok = widgets_->get<QPushButton>("cmdOk");
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QWidget::close);
}

AboutBox* AboutBox::showShared() {
  QPointer<AboutBox>& box = shared();
  if (box.isNull()) {
    box = new AboutBox;
    centreOnScreen(*box);
  }
  box->show();
  box->raise();
  box->activateWindow();
  return box;
}

AboutBox* AboutBox::current() { return shared(); }

}  // namespace tallix::shell
