#include "app/table_export.h"

#include "discovery/device_record.h"
#include "discovery/device_table.h"
#include "text/text.h"
#include "ui/report_ctrl.h"

namespace app {
namespace {

constexpr int kColumns = 8;

struct TextPair {
  const char16_t* chinese;
  const char16_t* english;
};
constexpr TextPair kCheckedTitle = {u"勾选", u"checked"};
constexpr TextPair kResultTitle = {u"升级结果", u"upgrade result"};
constexpr TextPair kYes = {u"是", u"yes"};
constexpr TextPair kNo = {u"否", u"no"};
constexpr TextPair kUpgraded = {u"升级成功", u"upgraded"};
constexpr TextPair kUpgradeFailed = {u"升级失败", u"upgrade failed"};

QString In(const TextPair& pair, int languageIndex) {
  return QString::fromUtf16(languageIndex == texts::kLanguageEnglish ? pair.english : pair.chinese);
}

QString ResultText(discovery::UpgradeResult result, int languageIndex) {
  if (result == discovery::kUpgradeSucceeded) return In(kUpgraded, languageIndex);
  if (discovery::UpgradeFailed(result)) return In(kUpgradeFailed, languageIndex);
  return {};
}

void AppendLine(QString& out, const QStringList& fields) {
  QStringList quoted;
  for (const QString& field : fields) quoted.push_back(CsvField(field));
  out += quoted.join(QLatin1Char(','));
  out += QStringLiteral("\r\n");
}

}  // namespace

QString CsvField(const QString& text) {
  const bool quote = text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"')) ||
                     text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')) ||
                     text != text.trimmed();
  if (!quote) return text;
  QString doubled = text;
  doubled.replace(QLatin1Char('"'), QStringLiteral("\"\""));
  return QLatin1Char('"') + doubled + QLatin1Char('"');
}

QByteArray DeviceTableCsv(const QStringList& columnTitles, const std::vector<ExportRow>& rows,
                          int languageIndex) {
  QString text;
  AppendLine(text, QStringList{In(kCheckedTitle, languageIndex)} + columnTitles +
                       QStringList{In(kResultTitle, languageIndex)});
  for (const ExportRow& row : rows) {
    AppendLine(text, QStringList{In(row.checked ? kYes : kNo, languageIndex)} + row.cells +
                         QStringList{ResultText(row.upgradeResult, languageIndex)});
  }
  return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

std::vector<ExportRow> ExportRows(const CReportCtrl& list, const discovery::DeviceTable& table) {
  std::vector<ExportRow> rows;
  for (int row = 0; row < list.GetItemCount(); ++row) {
    ExportRow exported;
    exported.checked = list.GetCheck(row);
    for (int column = 0; column < kColumns; ++column) {
      exported.cells.push_back(list.GetItemText(row, column));
    }
    if (const discovery::DeviceRecord* record = table.RecordAt(row)) {
      exported.upgradeResult = record->upgradeResult.load();
    }
    rows.push_back(std::move(exported));
  }
  return rows;
}

}  // namespace app
