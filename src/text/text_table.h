// The text pair table: pair k holds the Chinese text (language index 0) and the English text
// (language index 1). The texts are kept exactly as the program has always shown them, spelling
// slips and full-width punctuation included, because operators and their notes know them so.
#pragma once

#include <array>

#include "text/text_id.h"

namespace texts {

struct TextPair {
  const char16_t* chinese;
  const char16_t* english;
};

inline constexpr std::array<TextPair, kTextPairCount> kTextPairs = {{
    {u"全选", u"All"},                                     // 0
    {u"反选", u"INV"},                                     // 1
    {u"总数:", u"Total:"},                                 // 2
    {u"已选:", u"Check:"},                                 // 3
    {u"设备升级数目:", u"Num of Cameras:"},                // 4
    {u"成功:", u"Success:"},                               // 5
    {u"失败:", u"Failed:"},                                // 6
    {u"IP地址", u"IP Address"},                            // 7
    {u"物理地址", u"MAC Address"},                         // 8
    {u"序列号", u"SN"},                                    // 9
    {u"设备类型", u"Device Type"},                         // 10
    {u"升级前版本号", u"Current Version"},                 // 11
    {u"升级后版本号", u"New Version"},                     // 12
    {u"状态信息", u"Status Info"},                         // 13
    {u"设备信息", u"Device Info"},                         // 14
    {u"固件升级", u"Firmware Upgrade"},                    // 15
    {u"升级文件", u"Upgrade File:"},                       // 16
    {u"浏览", u"Upgrade"},                                 // 17
    {u"升级指令", u"Select Action"},                       // 18
    {u"搜索", u"Search"},                                  // 19
    {u"修改IP", u"Modify IP"},                             // 20
    {u"升级", u"Upgrade"},                                 // 21
    {u"同步时间", u"Set Time"},                            // 22
    {u"格式化超时时间(分钟)", u"Format Timeout(Minute)"},  // 23
    {u"格式化SD1", u"Format SD1"},                         // 24
    {u"格式化SD2", u"Format SD2"},                         // 25
    {u"格式化USB", u"Format USB"},                         // 26
    {u"恢复设置", u"Factory Set"},                         // 27
    {u"重启设备", u"Reboot"},                              // 28
    {u"执行", u"Enter"},                                   // 29
    {u"升级信息", u"Upgrade Information"},                 // 30
    {u"当前动作:", u"Current Action:"},                    // 31
    {u"搜索到的IPC数量与设备升级数量不一致，是否继续搜索？",
     u"The selected number of cameras have not been found,continue searching?"},           // 32
    {u"设备IP修改失败，升级停止", u"Device IP modification fails, the upgrade stops"},     // 33
    {u"请先选择设备!", u"Please select the device!"},                                      // 34
    {u"请先选择升级文件!", u"Please select the upgrade files!"},                           // 35
    {u"是否继续执行剩下的指令？", u"Whether to continue the rest of the instructions？"},  // 36
    {u"升级完成, 总共:", u"Upgrading the devices are completed, total :"},                 // 37
    {u"是否播放视频来找出这些设备?",
     u"whether to play the video to find out these devices?"},                           // 38
    {u"正在搜索", u"Searching"},                                                         // 39
    {u"执行结束", u"Complete"},                                                          // 40
    {u"正在升级", u"Upgrading"},                                                         // 41
    {u"正在修改IP", u"Modifying IP"},                                                    // 42
    {u"正在格式化SD1", u"Formatting SD1"},                                               // 43
    {u"正在格式化SD2", u"Formatting SD2"},                                               // 44
    {u"正在格式化USB", u"Formatting USB"},                                               // 45
    {u"正在重启设备", u"Rebooting devices"},                                             // 46
    {u"正在恢复出厂设置", u"Restore to factory settings"},                               // 47
    {u"正在设置时间", u"Setting Time"},                                                  // 48
    {u"正在登录", u"Loging in"},                                                         // 49
    {u"登录成功", u"Login OK"},                                                          // 50
    {u"登录失败", u"login failed"},                                                      // 51
    {u"获取存储设备信息", u"get storage info"},                                          // 52
    {u"获取存储设备信息失败", u"Getting storage info failed"},                           // 53
    {u"未挂载", u"not mount"},                                                           // 54
    {u"格式化失败", u"Format failed"},                                                   // 55
    {u"格式化超时", u"format timeout"},                                                  // 56
    {u"正在格式化", u"Formatting"},                                                      // 57
    {u"格式化成功", u"Format OK"},                                                       // 58
    {u"重启设备成功", u"reboot device OK"},                                              // 59
    {u"重启设备失败", u"reboot device failed"},                                          // 60
    {u"恢复出厂设置失败", u"Restoring to factory setting failed"},                       // 61
    {u"恢复出厂设置成功", u"Factory Reset OK"},                                          // 62
    {u"同步时间成功", u"set time OK"},                                                   // 63
    {u"同步时间失败", u"set time Failed"},                                               // 64
    {u"登录内存申请失败", u"login malloc memory failed"},                                // 65
    {u"内存申请失败", u"malloc memory failed"},                                          // 66
    {u"获取版本号", u"get version"},                                                     // 67
    {u"上传文件内存申请失败", u"upload file malloc memory failed"},                      // 68
    {u"获取上传文件进度内存申请失败", u"malloc memory failt when get upload progress"},  // 69
    {u"获取版本号失败", u"get version failed"},                                          // 70
    {u"提交上传文件失败", u"upload file failed"},                                        // 71
    {u"上传完成，校验文件", u"finished upload,checking file"},                           // 72
    {u"上传文件失败", u"upload file failed"},                                            // 73
    {u"该文件不能升级", u"the file can not upgrade"},                                    // 74
    {u"设备重启，尝试登录", u"device rebooted, trying to login"},                        // 75
    {u"校验文件超时，升级失败", u"checking file timeout, upgrade failed"},               // 76
    {u"上传完成，校验文件", u"finished upload,checking file"},                           // 77
    {u"获取上传文件进度失败", u"get progress of uploading file failed"},                 // 78
    {u"上传文件", u"uploading file"},                                                    // 79
    {u"修改IP失败", u"modify IP failed"},                                                // 80
    {u"修改IP成功", u"modify IP OK"},                                                    // 81
    {u"新IP", u"new IP"},                                                                // 82
    {u"升级成功", u"upgrade scuccess"},                                                  // 83
    {u"版本号一致，升级失败", u"same version, upgrade failed"},                          // 84
    {u"重启设备完成, 总共", u"Finished rebooting the devices"},                          // 85
    {u"恢复出厂设置完成, 总共", u"Restoring to factory setting is complete."},           // 86
    {u"是否继续操作？", u"Continue operating？"},                                        // 87
    {u"同步时间完成, 总共", u"Time Changed is complete, Total"},                         // 88
    {u"格式化完成, 总共", u"Formatting is finish, Total"},                               // 89
    {u"选择摄像机(&M)...", u"Choose cameras(&M)..."},                                    // 90
    {u"选择摄像机", u"Choose cameras"},                                                  // 91
    {u"摄像机", u"Cameras"},                                                             // 92
    {u"模拟器", u"Simulator"},                                                           // 93
    {u"真实摄像机 (ONVIF)", u"Real cameras (ONVIF)"},                                    // 94
    {u"网络范围", u"Network"},                                                           // 95
    {u"仅本机回环 (127.0.0.0/8)", u"Loopback only (127.0.0.0/8)"},                       // 96
    {u"本机所在网络", u"The PC's network"},                                              // 97
    {u"搜索", u"Search"},                                                                // 98
    {u"搜索目标:", u"Probe targets:"},                                                   // 99
    {u"地址:端口，逗号分隔；空为组播",
     u"ADDRESS:PORT, comma-separated; empty for multicast"},                                 // 100
    {u"登录凭据（依次尝试）", u"Credentials (tried in order)"},                              // 101
    {u"用户名", u"User"},                                                                    // 102
    {u"密码", u"Password"},                                                                  // 103
    {u"添加", u"Add"},                                                                       // 104
    {u"删除", u"Remove"},                                                                    // 105
    {u"（已保存）", u"(saved)"},                                                             // 106
    {u"恢复出厂设置", u"Factory restore"},                                                   // 107
    {u"完全恢复", u"Hard: everything"},                                                      // 108
    {u"保留网络设置", u"Soft: keep the network settings"},                                   // 109
    {u"保存的设置在下一次搜索时生效。", u"Saved settings take effect at the next search."},  // 110
    {u"批量执行进行中，结束后才能保存。",
     u"A run is under way; the settings can be saved once it has ended."},  // 111
    {u"由 netsdk.conf 设定，优先于此处：%1",
     u"Set by netsdk.conf, which wins over this window: %1"},  // 112
    {u"由环境变量 %1 设定，优先于此处：%2",
     u"Set by the environment variable %1, which wins over this window: %2"},  // 113
    {u"由 IP_NET_DVR_SetOption 设定，优先于此处：%1",
     u"Set by IP_NET_DVR_SetOption, which wins over this window: %1"},  // 114
    {u"搜索目标应为 地址:端口，以逗号分隔：%1",
     u"Probe targets must be ADDRESS:PORT, comma-separated: %1"},  // 115
    {u"第 %1 行无法使用：需要用户名（不含冒号，不以 # 开头），用户名最多 39 字节，密码最多 63 "
     u"字节。",
     u"Row %1 cannot be used: a user is needed (without a colon, not starting with #), of at most "
     u"39 bytes, and a password of at most 63 bytes."},  // 116
    {u"无法保存摄像机设置：%1 不能写入，设置仅本次运行有效。",
     u"The camera settings cannot be saved in %1; they hold for this run only."},  // 117
    {u"确定", u"OK"},                                                              // 118
    {u"取消", u"Cancel"},                                                          // 119
    {u"修改IP起始地址的子网掩码无效，请在“设定IP”中重新填写。",
     u"The subnet mask for the start address is not valid; enter it again under “设定IP”."},  // 120
    {u"修改IP起始地址的网关无效，请在“设定IP”中重新填写。",
     u"The gateway for the start address is not valid; enter it again under “设定IP”."},  // 121
}};

}  // namespace texts
