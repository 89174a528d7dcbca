#include "app/about_dlg.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "app/app_icon.h"
#include "ui/main_dialog_ids.h"

namespace app {
namespace {

constexpr int IDOK = 1;
constexpr int IDC_ABOUT_ICON = 1100;
constexpr int IDC_ABOUT_NAME = 1101;
constexpr int IDC_ABOUT_COPYRIGHT = 1102;

}  // namespace

CAboutDlg::CAboutDlg(QWidget* parent) : Dialog(ids::IDD_ABOUTBOX, parent) {
  setWindowTitle(QStringLiteral("关于 Ravendock"));
  auto* icon = new QLabel(this);
  icon->setPixmap(AppIcon().pixmap(32, 32));
  SetControlId(icon, IDC_ABOUT_ICON);
  auto* name = new QLabel(QStringLiteral("Ravendock，2.0.1 版"), this);
  SetControlId(name, IDC_ABOUT_NAME);
  auto* copyright = new QLabel(QStringLiteral("版权所有 (C) 2026 Ravendock"), this);
  SetControlId(copyright, IDC_ABOUT_COPYRIGHT);
  auto* ok = new QPushButton(QStringLiteral("确定"), this);
  SetControlId(ok, IDOK);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  auto* layout = new QGridLayout(this);
  layout->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
  layout->addWidget(name, 0, 1);
  layout->addWidget(copyright, 1, 1);
  layout->addWidget(ok, 0, 2, Qt::AlignTop);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace app
