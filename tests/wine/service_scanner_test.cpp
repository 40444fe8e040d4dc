// The service and driver scanner over entries created in the service manager: which start types
// are examined in each mode, where the reported file comes from, and the stop request.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "common/winaccess/winaccess.h"
#include "scanner_fixtures.h"
#include "test_support.h"
#include "varnex/scanners/service_scanner.h"

using namespace varnex;
using namespace scanner_fixtures;

namespace {

const std::wstring kServicesKey = L"SYSTEM\\CurrentControlSet\\services\\";

enum class DllAt { None, Parameters, ServiceKey };

struct ServiceCase {
  const wchar_t* name;
  ServiceKind kind;
  DWORD serviceType;
  DWORD startType;
  const wchar_t* binaryPath;
  DllAt dllAt;
  const wchar_t* serviceDll;
  std::wstring expectedFile;  // "" when the entry is not examined in the normal mode
  std::wstring expectedFileInDeletionMode;
};

std::wstring SystemRoot() {
  std::wstring root;
  EXPECT_TRUE(winaccess::ExpandEnvironment(L"%SystemRoot%", root));
  return root;
}

std::vector<Finding> Scan(ServiceKind kind, bool deletionMode, bool stopRequested = false) {
  ScanState state;
  state.ServiceDeleteMode = deletionMode;
  state.StopRequested = stopRequested;
  RecordingWindow window;
  std::vector<Finding> seen;
  ScanServices(kind, state, window, [&seen](Finding f) { seen.push_back(std::move(f)); });
  EXPECT_EQ(window.statuses, std::vector<std::wstring>{L"正在扫描服务驱动..."});
  return seen;
}

}  // namespace

TEST(ServiceScanner, ExaminesStartTypesAndFindsTheLoadedFile) {
  const std::wstring root = SystemRoot();
  const std::wstring host = L"%SystemRoot%\\system32\\svchost.exe -k vxscan";
  const ServiceCase cases[] = {
      {L"vxscan_auto", ServiceKind::Services, SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START,
       L"\"C:\\VxSvc\\Auto.exe\" -run", DllAt::None, L"", L"C:\\VxSvc\\Auto.exe", L"C:\\VxSvc\\Auto.exe"},
      {L"vxscan_demand", ServiceKind::Services, SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START,
       L"C:\\VxSvc\\Demand.exe", DllAt::None, L"", L"C:\\VxSvc\\Demand.exe", L"C:\\VxSvc\\Demand.exe"},
      {L"vxscan_disabled", ServiceKind::Services, SERVICE_WIN32_OWN_PROCESS, SERVICE_DISABLED,
       L"C:\\VxSvc\\Off.exe", DllAt::None, L"", L"", L"C:\\VxSvc\\Off.exe"},
      // Shared-process services: the DLL under Parameters, directly under the key, or none.
      {L"vxscan_params", ServiceKind::Services, SERVICE_WIN32_SHARE_PROCESS, SERVICE_DEMAND_START, host.c_str(),
       DllAt::Parameters, L"%SystemRoot%\\System32\\VxParams.dll", root + L"\\system32\\vxparams.dll",
       root + L"\\system32\\vxparams.dll"},
      {L"vxscan_direct", ServiceKind::Services, SERVICE_WIN32_SHARE_PROCESS, SERVICE_AUTO_START, host.c_str(),
       DllAt::ServiceKey, L"C:\\VxDirect\\Direct.dll", L"c:\\vxdirect\\direct.dll", L"c:\\vxdirect\\direct.dll"},
      {L"vxscan_host", ServiceKind::Services, SERVICE_WIN32_SHARE_PROCESS, SERVICE_AUTO_START, host.c_str(),
       DllAt::None, L"", root + L"\\system32\\svchost.exe", root + L"\\system32\\svchost.exe"},
      // Drivers: the path forms of the driver normaliser; on-demand and disabled ones only when
      // deleting services.
      {L"vxscan_boot", ServiceKind::Drivers, SERVICE_KERNEL_DRIVER, SERVICE_BOOT_START,
       L"\\SystemRoot\\System32\\drivers\\vxboot.sys", DllAt::None, L"",
       L"C:\\Windows\\System32\\drivers\\vxboot.sys", L"C:\\Windows\\System32\\drivers\\vxboot.sys"},
      {L"vxscan_system", ServiceKind::Drivers, SERVICE_KERNEL_DRIVER, SERVICE_SYSTEM_START,
       L"\\??\\C:\\VxDrv\\Sys.sys", DllAt::None, L"", L"C:\\VxDrv\\Sys.sys", L"C:\\VxDrv\\Sys.sys"},
      {L"vxscan_autodrv", ServiceKind::Drivers, SERVICE_FILE_SYSTEM_DRIVER, SERVICE_AUTO_START,
       L"System32\\drivers\\vxauto.sys", DllAt::None, L"", L"C:\\Windows\\System32\\drivers\\vxauto.sys",
       L"C:\\Windows\\System32\\drivers\\vxauto.sys"},
      {L"vxscan_demanddrv", ServiceKind::Drivers, SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START,
       L"C:\\VxDrv\\Demand.sys", DllAt::None, L"", L"", L"c:\\vxdrv\\demand.sys"},
      {L"vxscan_offdrv", ServiceKind::Drivers, SERVICE_KERNEL_DRIVER, SERVICE_DISABLED, L"C:\\VxDrv\\Off.sys",
       DllAt::None, L"", L"", L"c:\\vxdrv\\off.sys"},
  };

  std::vector<std::unique_ptr<TestService>> services;
  std::vector<std::unique_ptr<testing_support::TestRegistryKey>> parameterKeys;
  std::vector<std::unique_ptr<testing_support::TestRegistryValue>> directValues;
  for (const auto& c : cases) {
    services.push_back(std::make_unique<TestService>(c.name, c.serviceType, c.startType, c.binaryPath));
    ASSERT_TRUE(services.back()->Created()) << testing::PrintToString(std::wstring(c.name));
    if (c.dllAt == DllAt::Parameters) {
      parameterKeys.push_back(std::make_unique<testing_support::TestRegistryKey>(
          HKEY_LOCAL_MACHINE, kServicesKey + c.name + L"\\Parameters"));
      parameterKeys.back()->SetString(L"ServiceDll", c.serviceDll, REG_EXPAND_SZ);
    } else if (c.dllAt == DllAt::ServiceKey) {
      directValues.push_back(std::make_unique<testing_support::TestRegistryValue>(
          HKEY_LOCAL_MACHINE, kServicesKey + c.name, L"ServiceDll", c.serviceDll));
    }
  }

  for (const bool deletionMode : {false, true}) {
    const std::vector<Finding> servicesSeen = Scan(ServiceKind::Services, deletionMode);
    const std::vector<Finding> driversSeen = Scan(ServiceKind::Drivers, deletionMode);
    for (const auto& c : cases) {
      SCOPED_TRACE(testing::PrintToString(std::wstring(c.name)) + (deletionMode ? " deleting" : " normal"));
      const std::vector<Finding>& seen = c.kind == ServiceKind::Drivers ? driversSeen : servicesSeen;
      const std::vector<Finding>& otherKind = c.kind == ServiceKind::Drivers ? servicesSeen : driversSeen;
      EXPECT_EQ(FindBy(otherKind, kColName, c.name), nullptr);
      const std::wstring& expected = deletionMode ? c.expectedFileInDeletionMode : c.expectedFile;
      const Finding* f = FindBy(seen, kColName, c.name);
      if (expected.empty()) {
        EXPECT_EQ(f, nullptr);
        continue;
      }
      ASSERT_NE(f, nullptr);
      EXPECT_EQ(f->FilePath, expected);
      EXPECT_EQ(f->BinPath, c.binaryPath);
      EXPECT_EQ(f->Type, c.kind == ServiceKind::Drivers ? L"驱动" : L"服务");
      EXPECT_EQ(f->StartPath, L"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\services\\" + std::wstring(c.name));
      EXPECT_EQ(f->Descrip, std::wstring(c.name) + L" display");
      EXPECT_TRUE(f->Id.empty());
      EXPECT_TRUE(f->MatchMethod.empty());
    }
  }

  // The image-path readers agree with what the walk reported.
  const ServiceImage params = GetServiceImagePath(L"vxscan_params", false);
  EXPECT_EQ(params.file, L"%SystemRoot%\\System32\\VxParams.dll");
  EXPECT_EQ(params.raw, host);
  EXPECT_EQ(GetServiceImagePath(L"vxscan_disabled", false).raw, L"");
  EXPECT_EQ(GetDriverImagePath(L"vxscan_demanddrv", true).file, L"C:\\VxDrv\\Demand.sys");
  EXPECT_EQ(GetDriverImagePath(L"vxscan_no_such_entry", true).raw, L"");
  EXPECT_EQ(GetServiceDll(L"vxscan_direct"), L"C:\\VxDirect\\Direct.dll");
  EXPECT_EQ(GetServiceDll(L"vxscan_host"), L"");
}

TEST(ServiceScanner, StopRequestEndsTheWalkAfterTheNextClassifiedEntry) {
  TestService a(L"vxscan_stop_a", SERVICE_KERNEL_DRIVER, SERVICE_BOOT_START, L"\\SystemRoot\\vxa.sys");
  TestService b(L"vxscan_stop_b", SERVICE_KERNEL_DRIVER, SERVICE_BOOT_START, L"\\SystemRoot\\vxb.sys");
  for (const ServiceKind kind : {ServiceKind::Services, ServiceKind::Drivers}) {
    EXPECT_EQ(Scan(kind, false, true).size(), 1u);
  }
}
