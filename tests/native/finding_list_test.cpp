#include "varnex/core/finding_list.h"

#include <gtest/gtest.h>

#include <thread>

using namespace varnex;

TEST(FindingList, AppendReadClearAcrossThreads) {
  FindingList list;
  list.ReserveAtLeast(5000);
  EXPECT_GE(list.Capacity(), 5000u);
  // A writer appending while a reader reads entries must never see a torn or moved entry.
  std::thread writer([&] {
    for (int i = 0; i < 20000; ++i) {
      Finding f;
      f.Name = std::to_wstring(i);
      f.Type = L"进程";
      EXPECT_EQ(list.Append(f), static_cast<std::size_t>(i));
    }
  });
  std::size_t seen = 0;
  while (seen < 20000) {
    if (auto f = list.At(seen)) {
      ASSERT_EQ(f->Name, std::to_wstring(seen));
      ++seen;
    }
  }
  writer.join();
  EXPECT_FALSE(list.At(20000).has_value());
  list.Clear();
  EXPECT_EQ(list.Size(), 0u);
  EXPECT_EQ(list.Capacity(), 0u);
}

TEST(FindingList, FieldOfFollowsColumnOrder) {
  Finding f;
  for (int c = 0; c < kFindingColumnCount; ++c) FieldOf(f, c) = std::to_wstring(c);
  EXPECT_EQ(f.Name, L"0");
  EXPECT_EQ(f.Type, L"5");
  EXPECT_EQ(f.Id, L"6");
  EXPECT_EQ(f.MatchMethod, L"10");
  EXPECT_EQ(kFindingColumns[1].width, 300);
  EXPECT_EQ(std::wstring(kFindingColumns[10].title), L"匹配方式");
}
