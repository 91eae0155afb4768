// The main window (Form1): widgets built from the window's design table,
// every event handed to the form model's handler, then the whole window
// rendered again from the model. No rule of the program lives here.
#pragma once

#include <QMainWindow>
#include <QTimer>

#include <functional>
#include <memory>

#include "form/main_form.h"
#include "shell/form_widgets.h"

class QAction;

namespace tallix::shell {

class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  // `endProgram` ends the program at once; it is used when there is no tray
  // to bring a hidden window back from.
  MainWindow(MainForm& form, std::function<void()> endProgram);

  // Runs one handler of the form model with the window's current place and
  // state, then renders the window from the model.
  void runEvent(const std::function<void(MainForm&)>& handler);
  // Brings the window and every widget in line with the model.
  void render();

  const FormWidgets& widgets() const { return *widgets_; }
  QTimer& timer1() { return timer1_; }
  QAction* closeAction() const { return closeAction_; }

 signals:
  // The Main view's period line was made again (each minute, and when a
  // connection starts or ends or a period begins).
  void periodLineMade();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void wireEvents();
  // Copies the window's place, state and visibility into the model.
  void pullWindowState();
  // The saved place is the top-left corner of the window's frame. Until the
  // window shows, its frame is unknown, and a window manager may take the
  // place for the client area's, under the title bar; once the frame is
  // known the window is set at the place, kept on the screen.
  void settlePlace();

  MainForm& form_;
  std::function<void()> endProgram_;
  QWidget* client_ = nullptr;
  std::unique_ptr<FormWidgets> widgets_;
  QAction* closeAction_ = nullptr;
  QTimer timer1_;
  bool rendered_ = false;
  std::uint32_t linesSeen_ = 0;
  // The saved place last applied, so a place the user chose is not undone.
  float appliedLeft_ = 0;
  float appliedTop_ = 0;
  bool appliedPlace_ = false;
  QPoint wantedPlace_;
  int placeChecks_ = 0;  // checks left for the frame; 0 once the place is settled
  QTimer placeTimer_;
};

}  // namespace tallix::shell
