// Feeds arbitrary Findings and rule lists to the Classifier. The system questions are answered
// from the input itself, so every rule path, the file-size and folder tests included, is reached.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "fuzz_input.h"
#include "varnex/identity/classifier.h"

namespace {

class InputSystem : public varnex::IClassifierSystem {
 public:
  explicit InputSystem(std::wstring answers) : answers_(std::move(answers)) {}
  std::wstring CompanyName(const std::wstring& path) override { return path.size() % 3 == 0 ? answers_ : L""; }
  std::optional<std::uint64_t> FileSize(const std::wstring& path) override {
    if (path.size() % 4 == 0) return std::nullopt;
    return path.size() % 2;
  }
  bool FolderHasSingleEntry(const std::wstring& folder) override { return folder.size() % 2 == 1; }
  std::wstring ServiceWrapperCommand(const std::wstring&) override { return answers_; }

 private:
  std::wstring answers_;
};

class NullWindow : public varnex::IScanWindow {
 public:
  void PostFinding(const varnex::Finding& f) override {
    if (f.Type.empty() && f.MatchMethod.empty() && f.Company.empty() && f.FilePath.empty() && f.Name.empty() &&
        f.BinPath.empty()) {
      ++emptyPosts;
    }
  }
  void SetStatusText(const std::wstring&) override {}
  void SetTitle(const std::wstring&) override {}
  void SetActionButtonText(const std::wstring&) override {}
  void EnableRescanButton(bool) override {}
  int emptyPosts = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using fuzz_input::At;
  const auto pieces = fuzz_input::Pieces(data, size);
  varnex::Finding f;
  f.Name = At(pieces, 0);
  f.FilePath = At(pieces, 1);
  f.Company = At(pieces, 2);
  f.FileDescription = At(pieces, 3);
  f.ProductName = At(pieces, 4);
  f.Type = At(pieces, 5);
  f.Id = At(pieces, 6);
  f.BinPath = At(pieces, 7);
  f.StartPath = At(pieces, 8);
  f.Descrip = At(pieces, 9);
  f.MatchMethod = At(pieces, 10);

  // The rest of the pieces go to the lists in turn; the list pairs stay of equal length.
  auto rules = std::make_shared<varnex::RuleData>();
  for (std::size_t i = 12; i < pieces.size(); ++i) {
    switch (i % 5) {
      case 0: rules->SignList.push_back(pieces[i]); break;
      case 1: rules->FolderList.push_back(pieces[i]); break;
      case 2:
        rules->AppDataKeyList.push_back(pieces[i]);
        rules->AppDataValueList.push_back(At(pieces, i + 1));
        break;
      case 3: rules->WhitePathList.push_back(pieces[i]); break;
      default: break;
    }
  }
  auto state = std::make_shared<varnex::ScanState>();
  state->TargetFolderMode = size % 2 == 1;
  auto window = std::make_shared<NullWindow>();
  const varnex::Classifier classifier(state, rules, window, std::make_shared<InputSystem>(At(pieces, 11)));
  classifier.Classify(f);
  return 0;
}
