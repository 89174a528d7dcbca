// A three-column CReportCtrl that records every item-changed notification.
#pragma once

#include <gtest/gtest.h>

#include <QStringList>
#include <vector>

#include "ui/report_ctrl.h"

namespace testui {

class ReportFixture : public testing::Test {
 protected:
  void SetUp() override {
    list.resize(480, 320);
    list.InsertColumn(0, QStringLiteral("Name"), ui::kAlignCenter, 140);
    list.InsertColumn(1, QStringLiteral("Value"), ui::kAlignCenter, 140);
    list.InsertColumn(2, QStringLiteral("When"), ui::kAlignCenter, 140);
    list.onItemChanged = [this](const ui::ItemChange& change) { changes.push_back(change); };
  }

  // Appends a row with these texts from column 0 on; returns its index.
  int AddRow(const QStringList& texts) {
    const int row = list.InsertItem(list.GetItemCount(), texts.value(0));
    for (int col = 1; col < texts.size(); ++col) list.SetItemText(row, col, texts[col]);
    return row;
  }

  QStringList Column(int col) const {
    QStringList texts;
    for (int row = 0; row < list.GetItemCount(); ++row) texts << list.GetItemText(row, col);
    return texts;
  }

  // The state-image notifications: +1 per check, -1 per uncheck, as the main window counts.
  int CheckedDelta() const {
    int delta = 0;
    for (const ui::ItemChange& change : changes) {
      if (!(change.changed & ui::kChangedState)) continue;
      const unsigned before = ui::StateImage(change.oldState);
      const unsigned after = ui::StateImage(change.newState);
      if (before == ui::kStateImageUnchecked && after == ui::kStateImageChecked) ++delta;
      if (before == ui::kStateImageChecked && after == ui::kStateImageUnchecked) --delta;
    }
    return delta;
  }

  CReportCtrl list;
  std::vector<ui::ItemChange> changes;
};

}  // namespace testui
