// Which start types the service scanner examines, per kind and mode.
#include <gtest/gtest.h>

#include "varnex/scanners/service_rules.h"

using varnex::IsStartTypeExamined;
using varnex::ServiceKind;

TEST(ServiceStartTypes, ExaminedPerKindAndMode) {
  // Start types 0 boot, 1 system, 2 automatic, 3 on demand, 4 disabled.
  struct Case {
    ServiceKind kind;
    bool examined[5];
  } normal[] = {
      {ServiceKind::Services, {false, false, true, true, false}},
      {ServiceKind::Drivers, {true, true, true, false, false}},
  };
  for (const auto& c : normal) {
    for (unsigned long start = 0; start < 5; ++start) {
      EXPECT_EQ(IsStartTypeExamined(c.kind, start, false), c.examined[start])
          << "kind " << static_cast<int>(c.kind) << " start " << start;
      EXPECT_TRUE(IsStartTypeExamined(c.kind, start, true)) << "deletion mode, start " << start;
    }
  }
}

TEST(ServiceStartTypes, LabelsAndKeyPath) {
  EXPECT_EQ(std::wstring(varnex::ServiceTypeLabel(ServiceKind::Services)), L"服务");
  EXPECT_EQ(std::wstring(varnex::ServiceTypeLabel(ServiceKind::Drivers)), L"驱动");
  EXPECT_EQ(varnex::ServiceKeyPath(L"Foo"), L"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\services\\Foo");
}
