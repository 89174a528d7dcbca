// The main window started on its own directory, with helpers to reach the other-settings window,
// its tree and its pages by their numbers and to read config.dat and the set.
#pragma once

#include <QCoreApplication>
#include <QFile>
#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>
#include <cstdint>
#include <cstring>
#include <string>

#include "config/config_file.h"
#include "config/config_set.h"
#include "config/pages/other_set_dlg.h"
#include "platform/dialog.h"
#include "support/app_fixture.h"

namespace pagetest {

// Page template, control ID and the file offset of the field the control writes.
struct Bound {
  int page;
  int id;
  int offset;
};

class PagesTest : public testsupport::AppFixture {
 protected:
  config::COtherSetDlg& OtherSet() { return window().OtherSettings(); }

  // The page whose template number is templateId.
  platform::Dialog& PageOf(int templateId) {
    auto* page = OtherSet().findChild<platform::Dialog*>(QString::number(templateId));
    EXPECT_NE(page, nullptr) << templateId;
    return *page;
  }
  template <typename T>
  T* Control(int templateId, int id) {
    T* control = PageOf(templateId).DlgItem<T>(id);
    EXPECT_NE(control, nullptr) << templateId << "/" << id;
    return control;
  }

  QTreeWidget* Tree() { return OtherSet().findChild<QTreeWidget*>(QStringLiteral("1074")); }
  QTreeWidgetItem* Node(const QString& label) {
    const auto found = Tree()->findItems(label, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.front();
  }

  static void Settle() {
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
  }

  // Replaces an edit's text the way a user does: select everything, delete, type.
  static void Type(QLineEdit* edit, const QString& text) {
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    // QTest types ASCII only; other text arrives as an input method would commit it.
    bool ascii = true;
    for (QChar c : text) ascii = ascii && c.unicode() < 0x80;
    if (ascii) {
      QTest::keyClicks(edit, text);
    } else {
      edit->insert(text);
    }
  }

  QByteArray FileBytes() const {
    QFile file(configPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }
  void WriteFileBytes(const QByteArray& bytes) const {
    QFile file(configPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
  }

  // The set in memory at a file offset, read from its image.
  static std::int32_t SetInt(int offset) {
    const config::ConfigImage image = config::ProcessConfigSet().Image();
    std::int32_t value = 0;
    std::memcpy(&value, image.data() + offset, sizeof value);
    return value;
  }
  static std::string SetBytes(int offset, int size) {
    const config::ConfigImage image = config::ProcessConfigSet().Image();
    return std::string(reinterpret_cast<const char*>(image.data()) + offset,
                       static_cast<std::size_t>(size));
  }
  // The zero-terminated text of a 256-byte field.
  static std::string SetText(int offset) {
    const std::string field = SetBytes(offset, 256);
    return field.substr(0, field.find('\0'));
  }
};

}  // namespace pagetest
