// Every id the code uses names exactly one control, menu item or resource.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>

namespace {

std::string ReadSource(const std::string& relative) {
  std::ifstream in(std::string(VX_SOURCE_DIR) + "/" + relative);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::map<std::string, long> Defines(const std::string& header) {
  std::map<std::string, long> ids;
  const std::regex define(R"(#define\s+(\w+)\s+(\d+))");
  for (std::sregex_iterator it(header.begin(), header.end(), define), end; it != end; ++it) {
    ids[(*it)[1]] = std::stol((*it)[2]);
  }
  return ids;
}

int CountWord(const std::string& text, const std::string& word) {
  const std::regex pattern("\\b" + word + "\\b");
  return static_cast<int>(std::distance(std::sregex_iterator(text.begin(), text.end(), pattern), std::sregex_iterator()));
}

}  // namespace

TEST(ResourceIds, VarnexIdsAreUniqueAndEachExistsOnce) {
  const auto ids = Defines(ReadSource("varnex/ui/resource.h"));
  const std::string rc = ReadSource("varnex/ui/varnex_dialog.rc");
  ASSERT_FALSE(ids.empty());
  ASSERT_FALSE(rc.empty());
  std::set<long> values;
  for (const auto& [name, value] : ids) {
    EXPECT_TRUE(values.insert(value).second) << name << " reuses " << value;
    if (name == "IDC_VIEW_FIRST") continue;  // the result views are created at run time
    EXPECT_EQ(CountWord(rc, name), 1) << name;
  }
  // The run-time views 1100..1108 collide with nothing in the template.
  for (const auto& [name, value] : ids) {
    if (name != "IDC_VIEW_FIRST") EXPECT_FALSE(value >= 1100 && value <= 1108) << name;
  }
  EXPECT_EQ(ids.at("IDD_VARNEX_DIALOG"), 102);
  EXPECT_EQ(ids.at("IDR_MAINFRAME"), 128);
  EXPECT_EQ(ids.at("IDR_CONTEXT_MENU"), 132);
  EXPECT_EQ(ids.at("ID_OPEN_LOCATION"), 32773);
  EXPECT_EQ(ids.count("ID_EXPORT_ALL"), 1u);
}
