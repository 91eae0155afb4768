// The windows under Qt's offscreen platform: built from the design tables,
// rendered from the form model, events handed to the model.
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include "app/form1_events.h"
#include "form/sentences.h"
#include "form/layouts.h"
#include "form/main_form.h"
#include "shell/about_box.h"
#include "shell/form_widgets.h"
#include "shell/main_window.h"
#include "shell/message_window.h"
#include "shell/pictures.h"
#include "shell/single_instance.h"
#include "shell/startup_window.h"
#include "shell/system_close.h"
#include "shell/tariff_window.h"
#include "shell/usage_window.h"
#include "support/fake_services.h"
#include "version.h"

#ifdef _WIN32
#include "platform/windows/windows_api.h"
#endif

using tallix::ControlKind;
using tallix::MainForm;
using tallix::testing::FakeServices;
namespace shell = tallix::shell;

namespace {

std::string folderOf(const QTemporaryDir& dir) { return dir.path().toStdString() + "/"; }

QRect pixelsOf(const tallix::ControlSpec& row) {
  return {shell::toPixels(row.left), shell::toPixels(row.top), shell::toPixels(row.width),
          shell::toPixels(row.height)};
}

QList<QWidget*> topLevels(const char* objectName) {
  QList<QWidget*> found;
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (widget->objectName() == objectName && widget->isVisible()) found << widget;
  return found;
}

// A main window over a fresh program folder, loaded and hidden.
struct LoadedWindow {
  explicit LoadedWindow(bool tray = true, std::function<void()> endProgram = {})
      : window(form, std::move(endProgram)) {
    window.runEvent(tallix::Form1_Form_Load);
    form.tray.present = tray;
  }
  QTemporaryDir dir;
  FakeServices services;
  MainForm form{services, folderOf(dir)};
  shell::MainWindow window;
};

// How many rows, top to bottom, hold pixels that differ between the two
// images: the height of what `with` has drawn on top.
int inkRows(const QImage& with, const QImage& without) {
  int top = with.height();
  int bottom = -1;
  for (int y = 0; y < with.height(); ++y)
    for (int x = 0; x < with.width(); ++x)
      if (with.pixel(x, y) != without.pixel(x, y)) {
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
  return std::max(0, bottom - top + 1);
}

// The rows the button's caption takes in its font with room all round, at
// the given pixel ratio.
int wholeInkRows(const QPushButton& button, qreal ratio) {
  const QSize room(button.fontMetrics().horizontalAdvance(button.text()) + 8, button.fontMetrics().height() * 3);
  QImage blank(room * ratio, QImage::Format_ARGB32);
  blank.setDevicePixelRatio(ratio);
  blank.fill(Qt::white);
  QImage drawn = blank;
  QPainter painter(&drawn);
  painter.setFont(button.font());
  painter.drawText(QRect(QPoint(), room), Qt::AlignCenter, button.text());
  painter.end();
  return inkRows(drawn, blank);
}

void closeAllMessageWindows() {
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (widget->objectName() == "Form11" || widget->objectName() == "Form4" || widget->objectName() == "FormUsage")
      widget->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace

class ShellWindows : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { closeAllMessageWindows(); }

  void mainWindowIsBuiltFromTheDesignTable() {
    LoadedWindow w;
    for (const tallix::ControlSpec& row : tallix::form1Design()) {
      if (row.kind == ControlKind::Timer) continue;
      const QString name = QString::fromStdString(std::string(row.name.text()));
      auto* widget = w.window.findChild<QWidget*>(name);
      QVERIFY2(widget != nullptr, qPrintable(name));
      QCOMPARE(widget->toolTip(), QString::fromStdString(row.tooltip));
      QVERIFY2(widget->font().families().contains(QString::fromStdString(row.font.family)), qPrintable(name));
      QCOMPARE(widget->font().bold(), row.font.bold);
      if (row.kind != ControlKind::Line) QCOMPARE(widget->geometry(), pixelsOf(row));
      const std::string parent = row.parent.empty() ? "Form1Client" : std::string(row.parent.text());
      QCOMPARE(widget->parentWidget()->objectName().toStdString(), parent);
      if (row.kind == ControlKind::TextBox) QCOMPARE(static_cast<QLineEdit*>(widget)->maxLength(), row.maxLength);
      // Texts the load empties or rewrites are checked against the model.
      QCOMPARE(widget->property("text").toString(), QString::fromStdString(w.form[row.name].caption));
    }

    // The three views: only the Main view shows after load.
    for (const char* frame : {"fraMain", "fraSettings", "fraCalculate"})
      QCOMPARE(w.window.findChild<QGroupBox*>(frame)->isHidden(), frame != std::string("fraMain"));
    // The decorative frame lies behind the views.
    QWidget* client = w.window.findChild<QWidget*>("Form1Client");
    QVERIFY(client->children().indexOf(w.window.findChild<QWidget*>("imgFrame")) <
            client->children().indexOf(w.window.findChild<QWidget*>("fraMain")));

    const QList<QAction*> bar = w.window.menuBar()->actions();
    QCOMPARE(bar.size(), 1);
    QCOMPARE(bar[0]->objectName() + bar[0]->text(), QString("mClose Close"));
    QCOMPARE(w.window.windowTitle(), QString());
    QVERIFY(!w.window.isVisible());
  }

  // Every button's caption is drawn whole, descenders included ("Settings",
  // not "Settinas"): the caption's ink spans as many rows as the same text
  // drawn with nothing to clip it.
  void captionsAreWhole() {
    LoadedWindow w;
    w.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.window));
    for (QPushButton* button : w.window.findChildren<QPushButton*>()) {
      const QString caption = button->text();
      if (caption.trimmed().isEmpty() || !button->isVisible()) continue;
      const QImage with = button->grab().toImage();
      button->setText(QString());
      const QImage without = button->grab().toImage();
      button->setText(caption);
      const int drawn = inkRows(with, without);
      const int whole = wholeInkRows(*button, with.devicePixelRatio());
      QVERIFY2(drawn >= whole - 1,
               qPrintable(QString("%1: ink %2 rows of %3").arg(button->objectName()).arg(drawn).arg(whole)));
    }
  }

  void dayBoxesTypeOnlyWhatTheKeyFilterPasses() {
    LoadedWindow w;
    w.window.show();
    QTest::mouseClick(w.window.findChild<QPushButton*>("cmdInput"), Qt::LeftButton);
    auto* start = w.window.findChild<QLineEdit*>("txtStartDay");
    QVERIFY(start->isEnabled());
    QTest::keyClicks(start, "a1-5 9");
    QCOMPARE(start->text(), QString("15"));  // others dropped with a beep, then the box is full
    QCOMPARE(w.form[tallix::form1::txtStartDay].caption, std::string("15"));
    QTest::keyClick(start, Qt::Key_Backspace);
    QTest::keyClick(start, Qt::Key_Home);
    QTest::keyClick(start, Qt::Key_Delete);  // editing, not a character: no beep
    QCOMPARE(w.form[tallix::form1::txtStartDay].caption, std::string());
    QCOMPARE(w.services.beeps, 3);

    // Focus selects a box's text, so what is typed replaces it, by mouse or by Tab.
    QVERIFY(QTest::qWaitForWindowActive(&w.window));
    auto* end = w.window.findChild<QLineEdit*>("txtEndDay");
    QTest::keyClicks(start, "1");
    QTest::keyClicks(end, "31");
    QTest::mouseClick(start, Qt::LeftButton);
    QTRY_COMPARE(start->selectedText(), QString("1"));
    QTest::keyClicks(start, "15");
    QTest::keyClick(start, Qt::Key_Tab);
    QTRY_COMPARE(end->selectedText(), QString("31"));
    QTest::keyClicks(end, "14");
    QCOMPARE(w.form[tallix::form1::txtStartDay].caption + "-" + w.form[tallix::form1::txtEndDay].caption, std::string("15-14"));
  }

  // The tariff window: Tab leaves the text for the buttons, Escape cancels.
  void tariffWindowTabAndEscape() {
    int saves = 0;
    QPointer<shell::TariffWindow> window = shell::TariffWindow::open("[Tariff]\n", [&saves](const std::string&) {
      ++saves;
      return true;
    });
    QVERIFY(QTest::qWaitForWindowActive(window));
    auto* editor = window->findChild<QPlainTextEdit*>("txtTariff");
    editor->setFocus();
    QTest::keyClick(editor, Qt::Key_Tab);
    QCOMPARE(editor->toPlainText(), QString("[Tariff]\n"));
    QCOMPARE(QApplication::focusWidget()->objectName(), QString("cmdTariffSave"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QTRY_VERIFY(window.isNull());
    QCOMPARE(saves, 0);
  }

  void checkBoxesApplyOnMouseReleaseOnly() {
    LoadedWindow w;
    w.window.show();
    QTest::mouseClick(w.window.findChild<QPushButton*>("cmdSettings"), Qt::LeftButton);
    auto* runMe = w.window.findChild<QCheckBox*>("chkRunMe");
    QVERIFY(runMe->isVisible());
    QTest::mouseClick(runMe, Qt::LeftButton, {}, QPoint(6, runMe->height() / 2));
    QCOMPARE(w.form[tallix::form1::chkRunMe].value, 1);
    QCOMPARE(w.services.logOnChanges, std::vector<bool>{true});
    // A change by keyboard shows in the model but applies nothing.
    runMe->setFocus();
    QTest::keyClick(runMe, Qt::Key_Space);
    QCOMPARE(runMe->isChecked(), false);
    QCOMPARE(w.form[tallix::form1::chkRunMe].value, 0);
    QCOMPARE(w.services.logOnChanges, std::vector<bool>{true});
  }

  // A double-click on a log opens its Usage window: the same total and the
  // same messages as the Calculation view's Load of it, a row a connection,
  // and a bar a day that had any time online.
  void usageWindowAgreesWithTheCalculationView() {
    LoadedWindow w;
    tallix::testing::writeLog(w.form.file("3.log"),
                              {"From : 01_2002/04/01", "0_To : 30", "start: 0002/04/02 08:00:00",
                               "_end : 2002/04/02 10:30:00", "start: 0002/04/03 23:00:00",  // over midnight
                               "_end : 2002/04/04 01:00:00", "start: 0002/04/06 10:00:00",
                               "_end : 2002/04/06 10:00:30"});
    tallix::testing::writeLog(w.form.file("4.log"), {"a foreign file", "of two records"});
    w.window.show();
    QTest::mouseClick(w.window.findChild<QPushButton*>("cmdCaculation"), Qt::LeftButton);
    auto* files = w.window.findChild<QListWidget*>("File1");

    struct Case {
      const char* file;
      int rows;  // -1: no chart and no table
    };
    for (const Case& c : {Case{"3.log", 3}, Case{"4.log", -1}}) {
      QListWidgetItem* item = files->findItems(c.file, Qt::MatchExactly).value(0);
      QVERIFY2(item != nullptr, c.file);
      files->setCurrentItem(item);
      w.services.messages.clear();
      QTest::mouseClick(w.window.findChild<QPushButton*>("cmdLoad"), Qt::LeftButton);
      const std::vector<std::string> loadMessages = w.services.messages;
      // An item view takes a double-click only on the item last pressed.
      QTest::mousePress(files->viewport(), Qt::LeftButton, {}, files->visualItemRect(item).center());
      QTest::mouseDClick(files->viewport(), Qt::LeftButton, {}, files->visualItemRect(item).center());

      QList<QWidget*> shown = topLevels("FormUsage");
      QCOMPARE(shown.size(), 1);
      QCOMPARE(shown[0]->windowTitle(), QString(" Usage"));
      auto* table = shown[0]->findChild<QTableView*>("tblConnections");
      auto* chart = shown[0]->findChild<shell::UsageChart*>();
      QString messages;
      for (const std::string& m : loadMessages) messages += (messages.isEmpty() ? "" : "\n") + QString::fromStdString(m);
      const auto* messageLabel = shown[0]->findChild<QLabel*>("lblUsageMessages");
      QCOMPARE(messageLabel ? messageLabel->text() : QString(), messages);
      if (c.rows < 0) {
        QVERIFY(!messages.isEmpty());
        QVERIFY(table == nullptr && chart == nullptr);
        closeAllMessageWindows();
        continue;
      }
      QCOMPARE(table->model()->rowCount(), c.rows);
      QCOMPARE(table->model()->index(0, 0).data().toString(), QString("02 Apr 2002 - 08:00:00 AM"));
      QCOMPARE(table->model()->index(0, 2).data().toString(), QString("2 : 30 : 0"));
      QCOMPARE(shown[0]->findChild<QLabel*>("lblUsageTotal")->text(),
               w.window.findChild<QLabel*>("lblUseTime")->text());
      QVERIFY(shown[0]->findChild<QLabel*>("lblUsageLog")->text().contains("01 Apr 2002"));
      QCOMPARE(w.window.findChild<QLabel*>("lblF2From")->text(), QString("         from : 01 Apr 2002"));

      // What is drawn: bars on the 2nd, 3rd, 4th and 6th only, the split
      // connection's two halves alike, 2.5 hours two and a half times as tall.
      const QImage image = chart->grab().toImage();
      for (int day = 0; day < 30; ++day) {
        const bool barred = day == 1 || day == 2 || day == 3 || day == 5;
        QCOMPARE(!chart->barRect(day).isEmpty(), barred);
        // Inside the bar, or just above the axis where no bar is.
        const QRectF plot = chart->plotArea();
        const QPointF at = barred ? chart->barRect(day).center()
                                  : QPointF(plot.left() + plot.width() * (day + 0.5) / 30, std::round(plot.bottom()) - 1);
        const QPointF pixel = at * image.devicePixelRatio();
        QCOMPARE(image.pixelColor(static_cast<int>(pixel.x()), static_cast<int>(pixel.y())) == chart->barColour(), barred);
      }
      QCOMPARE(chart->barRect(2).height(), chart->barRect(3).height());
      QVERIFY(qAbs(chart->barRect(1).height() / chart->barRect(2).height() - 2.5) < 0.05);
      closeAllMessageWindows();
    }
  }

  // Enter presses the focused button, as Space does; a budget the model
  // refuses gives way to the hours stored, in the box too.
  void keyboardAndARefusedBudget() {
    LoadedWindow w;
    w.window.show();
    struct Case {
      const char* button;
      Qt::Key key;
      const char* view;
    };
    for (const Case& c : {Case{"cmdSettings", Qt::Key_Return, "fraSettings"}, Case{"cmdMain", Qt::Key_Enter, "fraMain"},
                          Case{"cmdSettings", Qt::Key_Space, "fraSettings"}}) {
      auto* button = w.window.findChild<QPushButton*>(c.button);
      button->setFocus();
      QTest::keyClick(button, c.key);
      QVERIFY2(w.window.findChild<QGroupBox*>(c.view)->isVisible(), c.button);
    }
    auto* budget = w.window.findChild<QLineEdit*>("txtBudget");
    for (const char* typed : {"50", "abc"}) {
      budget->setFocus();
      budget->selectAll();
      QTest::keyClicks(budget, typed);
      QTest::keyClick(budget, Qt::Key_Return);
    }
    QCOMPARE(budget->text(), QString("50"));
    QCOMPARE(w.services.messages.size(), size_t{1});
  }

  // With fonts twice the size (a 192 dpi desktop) a full month still fits
  // the screen's free area with its title bar on it; Escape closes it.
  void usageWindowFitsTheScreenWithLargeFonts() {
    const QFont normal = QApplication::font();
    QFont large = normal;
    large.setPointSizeF(normal.pointSizeF() * 2);
    QApplication::setFont(large);
    LoadedWindow w;
    std::vector<std::string> log{"From : 01_2002/04/01", "0_To : 30"};
    for (int day = 1; day <= 30; ++day) {
      const std::string date = QString("2002/04/%1").arg(day, 2, 10, QChar('0')).toStdString();
      log.push_back("start: 00" + date.substr(2) + " 08:00:00");
      log.push_back("_end : " + date + " 09:00:00");
    }
    tallix::testing::writeLog(w.form.file("3.log"), log);
    QPointer<QWidget> usage = shell::UsageWindow::open(tallix::usageView(w.form, "3.log"));
    QApplication::setFont(normal);
    QCOMPARE(usage->findChild<QTableView*>("tblConnections")->model()->rowCount(), 30);
    QVERIFY(usage->screen()->availableGeometry().contains(usage->frameGeometry()));
    // Once shown, with the frame the system really drew.
    QVERIFY(QTest::qWaitForWindowExposed(usage));
    QVERIFY2(usage->screen()->availableGeometry().contains(usage->frameGeometry()),
             qPrintable(QString("frame %1,%2 %3x%4").arg(usage->frameGeometry().x()).arg(usage->frameGeometry().y())
                            .arg(usage->frameGeometry().width()).arg(usage->frameGeometry().height())));
    QVERIFY(QTest::qWaitForWindowActive(usage));
    QTest::keyClick(usage, Qt::Key_Escape);
    QTRY_VERIFY(usage.isNull());
  }

  void closeHidesOrEndsWithoutATray() {
    for (bool tray : {true, false}) {
      int ends = 0;
      LoadedWindow loaded(tray, [&ends] { ++ends; });
      auto& [dir, services, form, window] = loaded;
      window.runEvent(tallix::Form3_mShow_Click);
      QVERIFY(window.isVisible());
      window.move(100, 60);
      window.closeAction()->trigger();
      QCOMPARE(ends, tray ? 0 : 1);
      QCOMPARE(window.isVisible(), !tray);
      QCOMPARE(form.windowLeft, 1500.0F);  // the position the model saves comes from the window
    }
  }

  void trayMenuAndStartUp() {
    QTemporaryDir dir;
    shell::QtServices services(nullptr);
    int ends = 0;
    shell::StartupWindow form3(services, folderOf(dir), true, [&ends] { ++ends; });
    form3.start();
    QVERIFY(!form3.mainWindow().isVisible());
    QVERIFY(form3.mainWindow().timer1().isActive());
    QCOMPARE(form3.tray().picture(), tallix::kPictureDisconnect);
    QCOMPARE(form3.tray().icon()->toolTip(), QString("Zvt"));
    QVERIFY(form3.tray().icon()->isVisible());

    QMenu& menu = form3.popupMenu();
    QCOMPARE(menu.title(), QString("Popup"));
    QStringList items;
    for (QAction* item : menu.actions()) items << item->objectName() + (item->isSeparator() ? "-" : item->text());
    QCOMPARE(items, (QStringList{"mAbout About", "msep1-", "mShow Show", "mUsage Usage", "mHelp Help", "msep2-", "mRemove Remove"}));

    // Single clicks on the icon do nothing; the menu request opens the menu,
    // a double click the main window.
    for (auto reason : {QSystemTrayIcon::Trigger, QSystemTrayIcon::MiddleClick}) {
      emit form3.tray().icon()->activated(reason);
      QVERIFY(!menu.isVisible());
      QVERIFY(!form3.mainWindow().isVisible());
    }
    emit form3.tray().icon()->activated(QSystemTrayIcon::Context);
    QVERIFY(menu.isVisible());
    menu.hide();
    emit form3.tray().icon()->activated(QSystemTrayIcon::DoubleClick);
    QVERIFY(form3.mainWindow().isVisible());
    QVERIFY(!menu.isVisible());
    form3.mainWindow().hide();

    form3.mainWindow().showMinimized();
    form3.mShow_Click();
    QVERIFY(form3.mainWindow().isVisible());
    QVERIFY(!form3.mainWindow().isMinimized());

    // Usage shows the current period's log.
    form3.mUsage_Click();
    QCOMPARE(topLevels("FormUsage").size(), 1);
    QVERIFY(topLevels("FormUsage")[0]->findChild<QLabel*>("lblUsageLog")->text().startsWith("CountRec.zvt"));

    form3.mHelp_Click();
    const QList<QWidget*> shown = topLevels("Form11");
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown[0]->findChild<QLabel*>("Label1")->text().toStdString(), std::string(tallix::kHelpNotice));

    QCOMPARE(ends, 0);
    form3.mRemove_Click();
    QCOMPARE(ends, 1);
    QVERIFY(!form3.tray().icon()->isVisible());

    // Without a tray the main window shows at once, and the tray is waited
    // for; one that comes late takes the icon, and the window goes.
    shell::StartupWindow trayless(services, folderOf(dir), false, [] {});
    trayless.start();
    QVERIFY(trayless.mainWindow().isVisible());
    QVERIFY(trayless.trayWait().isActive() && trayless.tray().icon() == nullptr);
    trayless.trayPresenceChanged(true);
    QVERIFY(trayless.tray().icon() != nullptr && trayless.tray().icon()->isVisible());
    QCOMPARE(trayless.tray().icon()->toolTip(), QString("Zvt"));
    QVERIFY(!trayless.mainWindow().isVisible() && !trayless.trayWait().isActive());
    // The menu belongs to the main window while that is shown.
    trayless.mShow_Click();
    trayless.openPopupMenu(QPoint(200, 200));
    QCOMPARE(trayless.popupMenu().windowHandle()->transientParent(), trayless.mainWindow().windowHandle());
    trayless.popupMenu().hide();
    trayless.trayPresenceChanged(false);
    QVERIFY(trayless.trayWait().isActive());
  }

  void messageWindowPerCallNotModalTopmost() {
    QTemporaryDir dir;
    shell::QtServices services(nullptr);
    MainForm form(services, folderOf(dir));
    tallix::AnswerOk(form, "first line\rsecond line");
    tallix::AnswerOk(form, "");
    QList<QWidget*> shown = topLevels("Form11");
    QCOMPARE(shown.size(), 2);
    for (QWidget* window : shown) {
      QCOMPARE(window->windowTitle(), QString("Tallix Wrning Message"));
      QVERIFY(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
      QCOMPARE(window->windowModality(), Qt::NonModal);
      QVERIFY(QApplication::activeModalWidget() == nullptr);
      auto* label = window->findChild<QLabel*>("Label1");
      QCOMPARE(label->palette().color(QPalette::Window), QColor(192, 192, 192));
      QVERIFY(label->autoFillBackground());
      const QRect screen = window->screen()->availableGeometry();
      // Within the few pixels a window frame adds.
      QVERIFY((window->frameGeometry().center() - screen.center()).manhattanLength() <= 4);
    }
    QStringList texts;
    for (QWidget* window : shown) texts << window->findChild<QLabel*>("Label1")->text();
    texts.sort();
    QCOMPARE(texts, (QStringList{"", "first line\nsecond line"}));

    QPointer<QWidget> first = shown[0];
    QTest::mouseClick(first->findChild<QPushButton*>("cmdOk"), Qt::LeftButton);
    QTRY_VERIFY(first.isNull());
    QCOMPARE(topLevels("Form11").size(), 1);
  }

  void longMessagesGrowTheWindowInsteadOfBeingCut() {
    shell::MessageWindow* window = shell::MessageWindow::open(
        "Error occurred when loading back starting or ending day, Error #  53\rFile not found, and more words "
        "so that the text runs well past the four lines the label has room for at this width");
    auto* label = window->findChild<QLabel*>("Label1");
    QVERIFY(label->height() >= label->heightForWidth(label->width()));
    QVERIFY(window->findChild<QPushButton*>("cmdOk")->geometry().top() >= label->geometry().bottom());
    QVERIFY(window->findChild<QPushButton*>("cmdOk")->geometry().bottom() < window->height());
  }

  void aboutBoxIsOneSharedWindowMadeAfreshAfterOk() {
    QPointer<shell::AboutBox> first = shell::AboutBox::showShared();
    QCOMPARE(shell::AboutBox::showShared(), first.data());
    QCOMPARE(topLevels("Form4").size(), 1);
    QVERIFY(first->windowTitle().isEmpty());
    QCOMPARE(first->findChild<QLabel*>("Label1")->text(), QString("version " TALLIX_VERSION));
    QTest::mouseClick(first->findChild<QPushButton*>("cmdOk"), Qt::LeftButton);
    QTRY_VERIFY(first.isNull());
    QVERIFY(shell::AboutBox::current() == nullptr);
    QVERIFY(shell::AboutBox::showShared() != nullptr);
    QCOMPARE(topLevels("Form4").size(), 1);
  }

  void refusalBox() {
    auto box = shell::makeRefusalBox();
    QCOMPARE(box->windowTitle(), QString("Vossberry Tallix"));
    QCOMPARE(box->text(), QString("Application is already running!"));
    QCOMPARE(box->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(box->icon(), QMessageBox::NoIcon);
  }

  // The start-at-log-on service names the running program: in the XDG
  // autostart entry on Linux, in the user's own Run value on Windows (the
  // entry's and the value's own rules are checked with the platform's). The
  // box is read back from the entry itself.
  void startAtLogOnNamesTheRunningProgram() {
    shell::QtServices services(nullptr);
#ifdef _WIN32
    // Read through the registry itself: the value's name holds backslashes,
    // which QSettings would take for subkeys.
    const std::wstring name =
        L"Tallix (" + QDir::toNativeSeparators(QCoreApplication::applicationDirPath()).toStdWString() + L")";
    const auto valueIn = [&name](HKEY root) -> std::optional<QString> {
      wchar_t data[1024];
      DWORD bytes = sizeof(data);
      if (RegGetValueW(root, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", name.c_str(), RRF_RT_REG_SZ,
                       nullptr, data, &bytes) != ERROR_SUCCESS)
        return std::nullopt;
      return QString::fromWCharArray(data);
    };
    QCOMPARE(services.startsAtLogOn(), std::optional<bool>(false));
    services.setStartAtLogOn(true);
    const std::optional<QString> written = valueIn(HKEY_CURRENT_USER);
    QVERIFY(written.has_value());
    QCOMPARE(QString(*written).remove('"'), QDir::toNativeSeparators(QCoreApplication::applicationFilePath()));
    QVERIFY(!valueIn(HKEY_LOCAL_MACHINE).has_value());
    QCOMPARE(services.startsAtLogOn(), std::optional<bool>(true));
    services.setStartAtLogOn(false);
    QVERIFY(!valueIn(HKEY_CURRENT_USER).has_value());
    QCOMPARE(services.startsAtLogOn(), std::optional<bool>(false));
#else
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    QCOMPARE(services.startsAtLogOn(), std::optional<bool>(false));
    QFile entry(config.filePath("autostart/tallix.desktop"));
    services.setStartAtLogOn(true);
    QVERIFY(entry.open(QIODevice::ReadOnly));
    QVERIFY(entry.readAll().contains("\nExec=\"" + QCoreApplication::applicationFilePath().toUtf8() + "\"\n"));
    entry.close();
    QCOMPARE(services.startsAtLogOn(), std::optional<bool>(true));
    services.setStartAtLogOn(false);
    QVERIFY(!entry.exists());
    QCOMPARE(services.startsAtLogOn(), std::optional<bool>(false));
    qunsetenv("XDG_CONFIG_HOME");
#endif
  }

#ifdef _WIN32
  // A second start reaches the running copy of the same data folder (named
  // in any case) and has it show its main window; another folder's start is
  // left to the refusal.
  void aSecondStartBringsTheRunningCopyForward() {
    int shown = 0;
    shell::onSystemCloseRequest([] {});
    shell::onShowRequest("C:\\Users\\Ann\\AppData\\Local\\tallix\\", [&shown] { ++shown; });
    QVERIFY(shell::bringRunningCopyForward("c:\\users\\ann\\appdata\\local\\TALLIX\\"));
    QTRY_COMPARE(shown, 1);
    QVERIFY(!shell::bringRunningCopyForward("D:\\Portable\\"));
    QTest::qWait(50);
    QCOMPARE(shown, 1);
  }
#endif

  void theThirteenTrayPicturesDiffer() {
    QList<QImage> seen;
    for (int picture = tallix::kPictureDisconnect; picture <= 11; ++picture) {
      const QImage image = shell::renderPicture(
          [picture](QPainter& p, const QRectF& box) { shell::paintTrayPicture(p, box, picture); }, {32, 32})
                               .toImage();
      for (const QImage& earlier : seen) QVERIFY(image != earlier);
      seen << image;
    }
  }
};

QTEST_MAIN(ShellWindows)
#include "test_shell_windows.moc"
