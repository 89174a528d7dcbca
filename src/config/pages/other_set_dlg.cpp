#include "config/pages/other_set_dlg.h"

#include "config/pages/escape_filter.h"
#include "config/pages/media_audio_code_dlg.h"
#include "config/pages/media_capture_dlg.h"
#include "config/pages/media_timetitle_dlg.h"
#include "config/pages/media_video_code_dlg.h"
#include "config/pages/network_clound_dlg.h"
#include "config/pages/network_ethernet_dlg.h"
#include "config/pages/network_ftp_dlg.h"
#include "config/pages/network_platform_dlg.h"
#include "config/pages/network_smtp_dlg.h"
#include "config/pages/network_stream_dlg.h"
#include "config/pages/other_set_tree_dlg.h"
#include "config/pages/settings_page.h"
#include "config/pages/system_account_dlg.h"
#include "config/pages/system_language_dlg.h"
#include "config/pages/system_maintain_dlg.h"
#include "config/pages/system_timeset_dlg.h"
#include "config/pages/warning_motion_dlg.h"

namespace config {
namespace {

constexpr char16_t kTitle[] = u"其它设置";
constexpr int kDialogWidth = 604;
constexpr int kDialogHeight = 326;
constexpr std::size_t kPageMapBuckets = 257;

COtherSetDlg* g_otherSetDlg = nullptr;

}  // namespace

COtherSetDlg::COtherSetDlg(QWidget* parent) : Dialog(IDD_OTHER_SET, parent) {
  setWindowTitle(QString::fromUtf16(kTitle));
  // A pop-up window with caption and system menu; not resizable.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setModal(false);
  setFixedSize(DialogUnitsToPixels(0, 0, kDialogWidth, kDialogHeight).size());
  EscapeFilter::Install(this);
}

COtherSetDlg::~COtherSetDlg() {
  if (g_otherSetDlg == this) g_otherSetDlg = nullptr;
}

COtherSetDlg* COtherSetDlg::Instance() {
  return g_otherSetDlg;
}

BOOL COtherSetDlg::OnInitDialog() {
  g_otherSetDlg = this;
  m_pageMap.clear();
  m_pageMap.rehash(kPageMapBuckets);
  const QRect client = rect();

  m_treeDlg = new COtherSetTreeDlg(this);
  m_treeDlg->OnInitDialog();
  m_treeDlg->move(client.topLeft());
  m_treeDlg->show();

  const QRect pageArea(client.left() + kPageAreaLeft, client.top(),
                       client.right() + 1 - (client.left() + kPageAreaLeft), client.height());
  for (int index = 0; index < kPageCount; ++index) {
    SettingsPage* page = CreatePage(index);
    page->OnInitDialog();
    page->setVisible(index == 0);
    page->setGeometry(pageArea);
    m_pages[static_cast<std::size_t>(index)] = page;
    m_pageMap[index] = page;
  }
  return TRUE;
}

SettingsPage* COtherSetDlg::CreatePage(int index) {
  switch (index) {
    case 0:
      return new CNetworkEthernetDlg(this);
    case 1:
      return new CNetworkCloundDlg(this);
    case 2:
      return new CNetworkFTPDlg(this);
    case 3:
      return new CNetworkSmtpDlg(this);
    case 4:
      return new CNetworkStreamDlg(this);
    case 5:
      return new CNetworkPlatformDlg(this);
    case 6:
      return new CMediaCaptureDlg(this);
    case 7:
      return new CMediaTimetitleDlg(this);
    case 8:
      return new CMediaVideoCodeDlg(this);
    case 9:
      return new CMediaAudioCodeDlg(this);
    case 10:
      return new CWarningMotionDlg(this);
    case 11:
      return new CSystemAccountDlg(this);
    case 12:
      return new CSystemTimesetDlg(this);
    case 13:
      return new CSystemMaintainDlg(this);
    default:
      return new CSystemLanguageDlg(this);
  }
}

void COtherSetDlg::ShowWindow() {
  show();
  if (QWidget* owner = parentWidget()) {
    QRect frame = frameGeometry();
    frame.moveCenter(owner->frameGeometry().center());
    move(frame.topLeft());
  }
  raise();
  activateWindow();
}

void COtherSetDlg::LoadAllPages() {
  for (int index = 0; index < kPageCount; ++index) {
    SettingsPage* page = Page(index);
    if (page == nullptr) continue;
    if (index == kPageCloud) {
      page->ShowFlag(IDC_CLOUD_ENABLE, kCloudGroupFlag);
      page->ShowChoice(IDC_CLOUD_LOGIN, kCloudEnable);
      page->ShowChoice(IDC_CLOUD_SYNC_TIME, kCloudSyncTime);
    } else if (index == kPageLanguage) {
      page->ShowFlag(IDC_LANGUAGE_ENABLE, kDeviceLanguageGroupFlag);
      page->ShowChoice(IDC_LANGUAGE_LIST, kDeviceLanguage);
    }
    page->LoadPage();
  }
  StoreShownValues();
}

void COtherSetDlg::StoreShownValues() {
  for (SettingsPage* page : m_pages)
    if (page != nullptr) page->StoreShownValues();
}

SettingsPage* COtherSetDlg::Page(int index) const {
  auto it = m_pageMap.find(index);
  return it != m_pageMap.end() ? it->second : nullptr;
}

LRESULT COtherSetDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kMsgShowSelectedPage) {
    OnShowSelectedPage();
    return 0;
  }
  return Dialog::OnMessage(message, wParam, lParam);
}

void COtherSetDlg::OnShowSelectedPage() {
  for (const auto& [index, page] : m_pageMap) page->hide();
  if (m_selectedPage >= 0 && m_selectedPage < kPageCount) {
    if (SettingsPage* page = Page(m_selectedPage)) page->show();
  }
}

}  // namespace config
