// Fixed texts of the scan driver and the rules that put them together. Pure, so the final status
// and the category of a Type can be tested without a window.
#pragma once

#include <string>

namespace varnex {

inline constexpr const wchar_t* kActionStopText = L"停止扫描";
inline constexpr const wchar_t* kActionHandleText = L"处理选中";
inline constexpr const wchar_t* kScanFinishedText = L"扫描完毕。";
inline constexpr const wchar_t* kDefaultStatusText = L"什么都没发现。";
inline constexpr const wchar_t* kFenghuaTitle = L"Varnex (发现推装病毒疯花木马！)";
inline constexpr const wchar_t* kRootkitTitle = L"Varnex (发现独狼Rootkit！)";
inline constexpr const wchar_t* kImeStatusText = L"正在扫描输入法...";
inline constexpr const wchar_t* kAssocStatusText = L"正在扫描文件关联...";

// "扫描完毕。", followed by "什么都没发现。" when nothing was posted, and wrapped in the Fenghua
// addition when that family was found.
std::wstring FinalStatusText(long postedCount, bool fenghuaFound, const std::wstring& fenghuaPath);

// The result view (0 to 8) whose tab shows a Finding of this Type after the rebuild. Exact,
// case-sensitive comparison; everything unknown goes to the Explorer view (6).
int CategoryViewForType(const std::wstring& type);

inline constexpr int kViewCount = 9;
inline constexpr const wchar_t* kTabCaptions[kViewCount] = {
    L"所有项目", L"进程", L"服务", L"驱动", L"启动项", L"计划任务", L"资源管理器", L"输入法", L"文件关联"};

}  // namespace varnex
