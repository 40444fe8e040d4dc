#include "varnex/core/scan_texts.h"

#include <gtest/gtest.h>

using namespace varnex;

TEST(ScanTexts, FinalStatus) {
  EXPECT_EQ(FinalStatusText(0, false, L""), L"扫描完毕。什么都没发现。");
  EXPECT_EQ(FinalStatusText(3, false, L""), L"扫描完毕。");
  const std::wstring fenghua = FinalStatusText(2, true, L"C:\\Windows\\temp\\~.cache");
  EXPECT_EQ(fenghua.rfind(L"扫描完毕。 发现疯花木马：C:\\Windows\\temp\\~.cache\r\n建议处理后", 0), 0u);
  EXPECT_EQ(FinalStatusText(0, true, L"P").rfind(L"扫描完毕。什么都没发现。 发现疯花木马：P\r\n", 0), 0u);
  EXPECT_NE(fenghua.find(L"（SENS）或别的"), std::wstring::npos);
}

TEST(ScanTexts, CategoryViewByExactType) {
  struct Case {
    const wchar_t* type;
    int view;
  } cases[] = {{L"进程", 1},     {L"服务", 2},      {L"驱动", 3},   {L"Run", 4},      {L"屏幕保护程序", 4},
               {L"计划任务", 5}, {L"IMM32", 7},     {L"TSF", 7},    {L"文件关联", 8}, {L"环境变量", 6},
               {L"病毒文件", 6}, {L"run", 6},       {L"RUN", 6},    {L"", 6},         {L"驱动木马", 6},
               {L"Winlogon", 4}, {L"映像劫持", 4}, {L"启动文件夹", 4}, {L"winlogon", 6}};
  for (const auto& c : cases) EXPECT_EQ(CategoryViewForType(c.type), c.view) << c.type;
}
