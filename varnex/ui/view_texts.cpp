#include "view_texts.h"

#include "../../common/text/text_rules.h"

namespace varnex::ui {

bool IsProtectedItem(const std::wstring& company, const std::wstring& fileDescription) {
  return text::Contains(fileDescription, L"驱动木马") || text::Contains(company, L"可疑");
}

std::wstring SelectionCountText(int count) { return L"选中" + std::to_wstring(count) + L"个项目"; }

std::wstring DetailText(const std::wstring& type, const std::wstring& descrip, const std::wstring& matchMethod,
                        const std::wstring& startPath, const std::wstring& binPath) {
  if (type == L"进程") {
    return L"进程PID： " + descrip + L"\t匹配原因：" + matchMethod + L"\r\n父进程PID： " + startPath +
           L"\r\n启动参数： " + binPath;
  }
  return L"描述： " + descrip + L"\t匹配原因：" + matchMethod + L"\r\n启动项路径： " + startPath + L"\r\n启动参数： " +
         binPath;
}

int RowAfterKey(int selectedRow, int rowCount, unsigned key) {
  constexpr unsigned kUp = 0x26;
  constexpr unsigned kDown = 0x28;
  if (selectedRow < 0 || selectedRow >= rowCount) return key == kDown && rowCount > 0 ? 0 : -1;
  if (key == kUp) return selectedRow > 0 ? selectedRow - 1 : selectedRow;
  if (key == kDown) return selectedRow + 1 < rowCount ? selectedRow + 1 : selectedRow;
  return selectedRow;
}

}  // namespace varnex::ui
