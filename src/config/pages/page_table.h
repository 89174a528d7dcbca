// The fifteen settings pages by page index (the key of the window's page map, the page number in
// the tree and the order of the start-up load) and the tree's four categories.
#pragma once

namespace config {

inline constexpr int kPageCount = 15;

inline constexpr const char16_t* kPageLabels[kPageCount] = {
    u"网络设置",     u"云平台设置",   u"FTP帐号设置", u"SMTP帐号设置", u"流媒体设置",
    u"平台接入设置", u"视频采集设置", u"时间和标题",  u"视频编码",     u"音频编码",
    u"移动侦测",     u"帐号管理",     u"时钟设置",    u"定时维护",     u"设备语言",
};

// A category holds the pages firstPage .. firstPage + pageCount - 1.
struct TreeCategory {
  const char16_t* label;
  int firstPage;
  int pageCount;
};
inline constexpr TreeCategory kTreeCategories[] = {
    {u"网络参数", 0, 6},
    {u"媒体设置", 6, 4},
    {u"告警设置", 10, 1},
    {u"系统设置", 11, 4},
};

inline constexpr int kPageEthernet = 0;
inline constexpr int kPageCloud = 1;
inline constexpr int kPageLanguage = 14;

}  // namespace config
