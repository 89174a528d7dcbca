// The export of the device table: CSV that a parser reads back to the same cells, and the menu
// item that writes it where the save dialog says.
#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QMenu>

#include "app/table_export.h"
#include "discovery/device_record.h"
#include "support/app_fixture.h"
#include "ui/main_dialog_ids.h"
#include "ui/report_ctrl.h"

namespace {

// A plain RFC 4180 reader: quoted fields with doubled quotes, commas and line breaks inside.
std::vector<QStringList> ParseCsv(const QString& text) {
  std::vector<QStringList> rows;
  QStringList row;
  QString field;
  bool quoted = false;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (quoted) {
      if (c == QLatin1Char('"') && i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) {
        field += c;
        ++i;
      } else if (c == QLatin1Char('"')) {
        quoted = false;
      } else {
        field += c;
      }
    } else if (c == QLatin1Char('"')) {
      quoted = true;
    } else if (c == QLatin1Char(',')) {
      row.push_back(field);
      field.clear();
    } else if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n')) {
      row.push_back(field);
      field.clear();
      rows.push_back(row);
      row.clear();
      ++i;
    } else {
      field += c;
    }
  }
  EXPECT_TRUE(field.isEmpty() && row.isEmpty()) << "the last line has no CRLF";
  return rows;
}

TEST(TableExport, CellsWithChineseCommasQuotesLineBreaksAndNothingRoundTrip) {
  const QStringList titles = {QStringLiteral("IP地址"),       QStringLiteral("a,b"),
                              QStringLiteral("say \"hi\""),   QString(),
                              QStringLiteral(" pad "),        QStringLiteral("two\nlines"),
                              QStringLiteral("升级后版本号"), QStringLiteral("全网通")};
  std::vector<app::ExportRow> rows(2);
  rows[0] = {true, titles, discovery::kUpgradeSucceeded};
  rows[1] = {false,
             {QStringLiteral("192.168.1.64"), QString(), QStringLiteral("\"\""),
              QStringLiteral("设备,类型"), QStringLiteral("V5.6.0 build 2026"), QString(),
              QStringLiteral("版本号一致，升级失败"), QStringLiteral("不支持")},
             discovery::kUpgradeFailed};
  const QByteArray csv = app::DeviceTableCsv(titles, rows, 0);
  ASSERT_TRUE(csv.startsWith("\xEF\xBB\xBF")) << "spreadsheet programs need the byte-order mark";
  const std::vector<QStringList> parsed = ParseCsv(QString::fromUtf8(csv.mid(3)));
  ASSERT_EQ(parsed.size(), 3u);
  EXPECT_EQ(parsed[0],
            QStringList{QStringLiteral("勾选")} + titles + QStringList{QStringLiteral("升级结果")});
  EXPECT_EQ(parsed[1], QStringList{QStringLiteral("是")} + rows[0].cells +
                           QStringList{QStringLiteral("升级成功")});
  EXPECT_EQ(parsed[2], QStringList{QStringLiteral("否")} + rows[1].cells +
                           QStringList{QStringLiteral("升级失败")});
  const QByteArray english =
      app::DeviceTableCsv(titles, {{true, titles, discovery::kUpgradeNone}}, 1);
  EXPECT_TRUE(english.contains("checked,IP")) << english.constData();
  EXPECT_TRUE(english.endsWith(",\r\n")) << "no result: an empty last field";
}

using ExportFromMenu = testsupport::AppFixture;

TEST_F(ExportFromMenu, TheMenuItemWritesEveryRowWhereTheSaveDialogSaysOrReportsWhyNot) {
  CReportCtrl& list = window().DeviceList();
  list.InsertItem(0, QStringLiteral("192.168.1.64"));
  list.SetItemText(0, 2, QStringLiteral("RD01"));
  list.SetCheck(0, true);
  list.InsertItem(1, QStringLiteral("192.168.1.65"));
  list.SetItemText(1, 6, QStringLiteral("升级成功, 重启"));
  QAction* item = nullptr;
  for (QAction* action : window().SystemMenu()->actions())
    if (action->data().toUInt() == ids::IDM_EXPORT_TABLE && !action->isSeparator()) item = action;
  ASSERT_NE(item, nullptr);

  const QString path = directory() + QStringLiteral("/run.csv");
  dialogs().QueueFile(path);
  item->trigger();
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const std::vector<QStringList> parsed = ParseCsv(QString::fromUtf8(file.readAll().mid(3)));
  ASSERT_EQ(parsed.size(), 3u);
  EXPECT_EQ(parsed[0][1], QStringLiteral("IP地址"));
  EXPECT_EQ(parsed[1][0], QStringLiteral("是"));
  EXPECT_EQ(parsed[1][3], QStringLiteral("RD01"));
  EXPECT_EQ(parsed[2][0], QStringLiteral("否"));
  EXPECT_EQ(parsed[2][7], QStringLiteral("升级成功, 重启"));
  EXPECT_TRUE(dialogs().shown().empty());

  // Cancelled: nothing written, nothing said. A folder that cannot take the file: said once.
  item->trigger();
  EXPECT_TRUE(dialogs().shown().empty());
  dialogs().QueueFile(directory() + QStringLiteral("/config.dat/run.csv"));
  item->trigger();
  ASSERT_EQ(dialogs().shown().size(), 1u);
  EXPECT_TRUE(dialogs().shown().front().text.contains(QStringLiteral("run.csv")));
}

}  // namespace
