// The report list's 150-line rule, its selection after an append and its horizontal extent.
#include "ui/report_list_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vs::ui::test {
namespace {

// A list box reduced to its lines and selection, driven by the rules the window applies.
struct ListModel {
  std::vector<std::string> lines;
  int selection = -1;

  void append(const std::string& line, bool statisticsShown) {
    if (clearsBeforeAppend(static_cast<int>(lines.size()), statisticsShown)) lines.clear();
    lines.push_back(line);
    const int index = selectionAfterAppend(static_cast<int>(lines.size()));
    selection = index < static_cast<int>(lines.size()) ? index : -1;
  }
};

TEST(ReportListRules, TheHundredFiftyFirstLineStandsAloneUntilTheStatistics) {
  ListModel list;
  for (int i = 1; i <= 150; ++i) list.append("line " + std::to_string(i), false);
  EXPECT_EQ(list.lines.size(), 150u);
  list.append("line 151", false);
  ASSERT_EQ(list.lines.size(), 1u);
  EXPECT_EQ(list.lines[0], "line 151");
  for (int i = 152; i <= 300; ++i) list.append("line " + std::to_string(i), false);
  // Once the statistics begin the list is never emptied again.
  for (int i = 0; i < 10; ++i) list.append("statistics", true);
  EXPECT_EQ(list.lines.size(), 160u);
  EXPECT_EQ(list.lines.front(), "line 151");
}

TEST(ReportListRules, OnlyTheThirdLineOnIsSelected) {
  ListModel list;
  list.append("a", false);
  EXPECT_EQ(list.selection, -1);
  list.append("b", false);
  EXPECT_EQ(list.selection, -1);
  list.append("c", false);
  EXPECT_EQ(list.selection, 2);
  list.append("d", false);
  EXPECT_EQ(list.selection, 3);
  EXPECT_EQ(selectionAfterAppend(1), 1);
  EXPECT_EQ(selectionAfterAppend(2), 2);
}

TEST(ReportListRules, ClearingDependsOnCountAndStatistics) {
  EXPECT_FALSE(clearsBeforeAppend(149, false));
  EXPECT_TRUE(clearsBeforeAppend(150, false));
  EXPECT_TRUE(clearsBeforeAppend(400, false));
  EXPECT_FALSE(clearsBeforeAppend(150, true));
}

struct ExtentCase {
  int current;
  int widest;
  std::optional<int> set;
};

TEST(ReportListRules, ExtentGrowsToThreeQuartersOfWideLinesOnly) {
  const ExtentCase cases[] = {
      {0, 0, std::nullopt},
      {0, 560, std::nullopt},
      {0, 561, 420},
      {0, 800, 600},
      {600, 800, 600},
      {799, 800, 600},
      {800, 800, std::nullopt},
      {900, 800, std::nullopt},
      {0, 1001, 750},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.current << " " << c.widest);
    EXPECT_EQ(widenedExtent(c.current, c.widest), c.set);
  }
}

}  // namespace
}  // namespace vs::ui::test
