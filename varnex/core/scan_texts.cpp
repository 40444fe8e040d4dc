#include "scan_texts.h"

#include "startup_places.h"

namespace varnex {

std::wstring FinalStatusText(long postedCount, bool fenghuaFound, const std::wstring& fenghuaPath) {
  std::wstring status = kScanFinishedText;
  if (postedCount == 0) status += kDefaultStatusText;
  if (fenghuaFound) {
    status = status + L" 发现疯花木马：" + fenghuaPath +
             L"\r\n建议处理后，用360急救箱强力模式查杀。或删除C:\\Windows\\Temp\\~.cache文件及windows目录下由0-9a-"
             L"f组成长度16的文件夹。\r\n可能需要先停止服务：System Event Notification Service（SENS）或别的";
  }
  return status;
}

int CategoryViewForType(const std::wstring& type) {
  if (type == L"进程") return 1;
  if (type == L"服务") return 2;
  if (type == L"驱动") return 3;
  if (type == L"Run" || type == L"屏幕保护程序" || IsStartupPlaceType(type)) return 4;
  if (type == L"计划任务") return 5;
  if (type == L"IMM32" || type == L"TSF") return 7;
  if (type == L"文件关联") return 8;
  return 6;
}

}  // namespace varnex
