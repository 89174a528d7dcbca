// A record of a run: the device table as a CSV file that spreadsheet programs open as it is —
// UTF-8 with a byte-order mark (so the Chinese texts show), fields quoted as RFC 4180 says, CRLF
// line ends.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

#include "discovery/device_record.h"

class CReportCtrl;

namespace discovery {
class DeviceTable;
}

namespace app {

struct ExportRow {
  bool checked = false;
  QStringList cells;  // the eight columns
  discovery::UpgradeResult upgradeResult = discovery::kUpgradeNone;
};

// One field: as it is, or in double quotes (with its quotes doubled) when it holds a comma, a
// quote, a line break or leading or trailing blanks.
QString CsvField(const QString& text);

// A header line (check mark, the eight column titles, upgrade result) and one line per row.
QByteArray DeviceTableCsv(const QStringList& columnTitles, const std::vector<ExportRow>& rows,
                          int languageIndex);

// The rows of the list in their order, with the records' upgrade results.
std::vector<ExportRow> ExportRows(const CReportCtrl& list, const discovery::DeviceTable& table);

}  // namespace app
