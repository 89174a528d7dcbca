// Texts that read the same in both languages: the all-network column and its values, and the row
// statuses of a changed network setting. They are deliberately not in the text pair table.
#pragma once

namespace texts {

inline constexpr char16_t kAllNetworkHeading[] = u"全网通";
inline constexpr char16_t kAllNetworkEnabled[] = u"已启用";
inline constexpr char16_t kAllNetworkDisabled[] = u"未启用";
inline constexpr char16_t kAllNetworkUnsupported[] = u"不支持";
inline constexpr char16_t kModifySucceeded[] = u"修改成功";
inline constexpr char16_t kModifyFailed[] = u"修改失败";

}  // namespace texts
