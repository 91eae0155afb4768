// The Usage window of the current period under Qt's offscreen platform: its
// table is a model that makes a row's texts only when asked, and the window
// follows the Main view's period line while it is open.
#include <QApplication>
#include <QDate>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QRadioButton>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QStyledItemDelegate>
#include <QTest>

#include <fstream>
#include <functional>

#include "app/budget.h"
#include "shell/qt_services.h"
#include "shell/startup_window.h"
#include "shell/usage_window.h"
#include "store/volume_file.h"
#include "support/fake_services.h"

namespace shell = tallix::shell;

namespace {

// `count` connections of 30 minutes on the period's first day.
std::vector<std::string> periodLog(int count) {
  const std::string first = QDate::currentDate().toString("yyyy/MM/01").toStdString();
  std::vector<std::string> log{"From : 01_" + first, "0_To : 31"};
  for (int i = 0; i < count; ++i) {
    const std::string hour = QString("%1").arg(i % 24, 2, 10, QChar('0')).toStdString();
    log.push_back("start: 00" + first.substr(2) + " " + hour + ":00:00");
    log.push_back("_end : " + first + " " + hour + ":30:00");
  }
  return log;
}

QWidget* usageWindow() {
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (widget->objectName() == "FormUsage" && widget->isVisible()) return widget;
  return nullptr;
}

}  // namespace

class UsageWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void followsThePeriodLine() {
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString() + "/";
    shell::QtServices services(nullptr);
    shell::StartupWindow form3(services, folder, true, [] {});
    form3.start();
    auto periodLineMade = [&form3] { form3.mainWindow().runEvent(tallix::refreshPeriodTime); };

    // No period yet: the messages alone, then the period's first reading
    // lays the window out anew with its chart and table.
    form3.mUsage_Click();
    QPointer<QWidget> usage = usageWindow();
    QVERIFY(usage != nullptr && usage->findChild<QTableView*>() == nullptr);
    tallix::testing::writeLog(folder + "CountRec.zvt", periodLog(1));
    periodLineMade();
    auto* table = usage->findChild<QTableView*>("tblConnections");
    QVERIFY(table != nullptr);
    QCOMPARE(table->model()->rowCount(), 1);
    QCOMPARE(table->model()->index(0, 2).data().toString(), QString("0 : 30 : 0"));

    // More connections: rows are added in place, where the reader left the table.
    tallix::testing::writeLog(folder + "CountRec.zvt", periodLog(40));
    periodLineMade();
    QCOMPARE(usage->findChild<QTableView*>("tblConnections"), table);
    QCOMPARE(table->model()->rowCount(), 40);
    QVERIFY(QTest::qWaitForWindowExposed(usage));
    table->scrollTo(table->model()->index(20, 0), QAbstractItemView::PositionAtTop);
    const int scrolled = table->verticalScrollBar()->value();
    QVERIFY(scrolled > 0);
    tallix::testing::writeLog(folder + "CountRec.zvt", periodLog(41));
    periodLineMade();
    QCOMPARE(table->model()->rowCount(), 41);
    QCOMPARE(table->verticalScrollBar()->value(), scrolled);
    auto* total = usage->findChild<QLabel*>("lblUsageTotal");
    QCOMPARE(total->text(), QString("Total time =  20 : 30 : 0"));
    // A line's text selects with the mouse, though it is made selectable
    // only when the mouse comes to it: a double-click picks a word.
    const QPoint word(3, total->height() / 2);
    QTest::mouseClick(total, Qt::LeftButton, {}, word);
    QTest::mouseDClick(total, Qt::LeftButton, {}, word);
    QCOMPARE(total->selectedText(), QString("Total"));

    // Every column is as wide as its widest text, with no row measured.
    for (int column = 0; column < 3; ++column)
      QVERIFY2(table->columnWidth(column) >= static_cast<QAbstractItemView*>(table)->sizeHintForColumn(column), qPrintable(QString::number(column)));

    // With a volume file: each connection's bytes, the log's total volume,
    // and the day's volume as the chart when chosen, kept through a refresh.
    const std::vector<std::string> log = periodLog(41);
    std::ofstream(folder + "CountRec.zvt.vol", std::ios::binary) << tallix::volumeText(
        {{3, log[2].substr(9, 17), {1204883, 88120}}, {5, log[4].substr(9, 17), {999, 0}}});
    periodLineMade();  // the window is laid out anew, with a column more
    table = usage->findChild<QTableView*>("tblConnections");
    const int volume = table->model()->columnCount() - 1;
    QCOMPARE(table->model()->headerData(volume, Qt::Horizontal).toString(), QString("received / sent"));
    QCOMPARE(table->model()->index(0, volume).data().toString(), QString("1.2 MB / 88.1 kB"));
    QCOMPARE(table->model()->index(1, volume).data().toString(), QString("999 bytes / 0 bytes"));
    QCOMPARE(table->model()->index(2, volume).data().toString(), QString("unknown"));
    QCOMPARE(usage->findChild<QLabel*>("lblUsageVolume")->text(),
             QString("Total volume =  at least 1.2 MB received, 88.1 kB sent (39 connections unknown)"));
    auto* chart = usage->findChild<shell::UsageChart*>();
    QCOMPARE(chart->accessibleName(), QString("hours online per day"));
    usage->findChild<QRadioButton*>("optChartVolume")->click();
    periodLineMade();
    chart = usage->findChild<shell::UsageChart*>();
    QCOMPARE(chart->accessibleName(), QString("volume per day"));
    QVERIFY(chart->accessibleDescription().startsWith("day 1: 1.3 MB"));
    QVERIFY(!chart->barRect(0).isEmpty() && chart->barRect(1).isEmpty());
    // A damaged volume file: its message, and no connection's volume.
    std::ofstream(folder + "CountRec.zvt.vol", std::ios::binary) << "tallix volume 1\n3 junk\n";
    periodLineMade();
    table = usage->findChild<QTableView*>("tblConnections");
    QCOMPARE(table->model()->index(0, volume).data().toString(), QString("unknown"));
    QVERIFY(!usage->findChild<QLabel*>("lblUsageMessages")->text().isEmpty());
    QCOMPARE(usage->findChild<QLabel*>("lblUsageVolume")->text(), QString("Total volume : unknown"));

    // A closed window is left alone.
    usage->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(usage.isNull());
    periodLineMade();
  }

  // The table draws its cells' text and its grid its own, cheaper way: the
  // pixels must be the style's, whatever state the cells are in.
  void cellsLookAsTheStyleDrawsThem() {
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString() + "/";
    const std::vector<std::string> log = periodLog(30);
    tallix::testing::writeLog(folder + "CountRec.zvt", log);
    std::ofstream(folder + "CountRec.zvt.vol", std::ios::binary)
        << tallix::volumeText({{3, log[2].substr(9, 17), {1204883, 88120}}});
    shell::QtServices services(nullptr);
    shell::StartupWindow form3(services, folder, true, [] {});
    form3.start();
    form3.mUsage_Click();
    QWidget* usage = usageWindow();
    QVERIFY(usage != nullptr && QTest::qWaitForWindowExposed(usage));
    auto* table = usage->findChild<QTableView*>("tblConnections");
    QCOMPARE(usage->focusWidget(), table);  // the keyboard goes to the table, not to the chart's choice
    const std::vector<std::function<void()>> states{
        [] {},
        [table] { table->selectRow(2); },
        [table] { table->setCurrentIndex(table->model()->index(3, 1)); table->setFocus(); },
        [table] { table->setColumnWidth(0, table->columnWidth(0) / 2); },  // shortened with an ellipsis
        [table] { table->verticalScrollBar()->setValue(5); },
    };
    for (size_t state = 0; state < states.size(); ++state) {
      states[state]();
      const QImage ours = table->viewport()->grab().toImage();
      QAbstractItemDelegate* cheap = table->itemDelegate();
      QStyledItemDelegate style;
      table->setItemDelegate(&style);
      table->setGridStyle(Qt::SolidLine);
      const QImage styles = table->viewport()->grab().toImage();
      table->setItemDelegate(cheap);
      table->setGridStyle(Qt::NoPen);
      QVERIFY2(ours == styles, qPrintable(QString("state %1").arg(state)));
    }
    usage->close();
  }
};

QTEST_MAIN(UsageWindowTest)
#include "test_usage_window.moc"
