// Writes gathered into runs of neighbouring cells: each run as the writes made it, in the order
// they came, none lost, none merged across a gap, a turn or a cell written twice.

#include "export/cell_runs.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace quenby {
namespace {

struct Write {
  int row, column;
  std::u16string text;
};
struct Expected {
  int row, column, rows, columns;
  std::vector<std::u16string> texts;
};

TEST(CellRuns, NeighboursDownAColumnOrAlongARowMakeOneRunAndEverythingElseEndsIt) {
  struct Row {
    const char* name;
    std::vector<Write> writes;
    std::vector<Expected> runs;
  };
  const Row rows[] = {
      {"one cell", {{7, 1, u"30"}}, {{7, 1, 1, 1, {u"30"}}}},
      {"down a column", {{5, 2, u"a"}, {6, 2, u""}, {7, 2, u"c"}}, {{5, 2, 3, 1, {u"a", u"", u"c"}}}},
      {"along a row", {{3, 2, u"x"}, {3, 3, u"y"}}, {{3, 2, 1, 2, {u"x", u"y"}}}},
      {"a gap ends the run", {{5, 2, u"a"}, {7, 2, u"b"}}, {{5, 2, 1, 1, {u"a"}}, {7, 2, 1, 1, {u"b"}}}},
      {"upwards is no run", {{6, 2, u"a"}, {5, 2, u"b"}}, {{6, 2, 1, 1, {u"a"}}, {5, 2, 1, 1, {u"b"}}}},
      {"a column run does not turn into the row",
       {{5, 2, u"a"}, {6, 2, u"b"}, {6, 3, u"c"}},
       {{5, 2, 2, 1, {u"a", u"b"}}, {6, 3, 1, 1, {u"c"}}}},
      {"a row run does not turn down the column",
       {{3, 2, u"x"}, {3, 3, u"y"}, {4, 3, u"z"}},
       {{3, 2, 1, 2, {u"x", u"y"}}, {4, 3, 1, 1, {u"z"}}}},
      {"a cell written twice, twice, in order",
       {{5, 2, u"old"}, {5, 2, u"new"}},
       {{5, 2, 1, 1, {u"old"}}, {5, 2, 1, 1, {u"new"}}}},
      {"the next column's top after a column",
       {{5, 2, u"a"}, {6, 2, u"b"}, {5, 3, u"c"}, {6, 3, u"d"}},
       {{5, 2, 2, 1, {u"a", u"b"}}, {5, 3, 2, 1, {u"c", u"d"}}}},
  };
  for (const Row& row : rows) {
    CellRuns runs;
    std::vector<CellRuns::Run> written;
    for (const Write& w : row.writes)
      if (auto ended = runs.add(w.row, w.column, w.text)) written.push_back(*ended);
    if (auto last = runs.take()) written.push_back(*last);
    EXPECT_FALSE(runs.take()) << row.name << ": taken twice";
    ASSERT_EQ(written.size(), row.runs.size()) << row.name;
    for (std::size_t i = 0; i < written.size(); ++i) {
      const Expected& e = row.runs[i];
      const CellRuns::Run& w = written[i];
      EXPECT_EQ(w.row, e.row) << row.name << ", run " << i;
      EXPECT_EQ(w.column, e.column) << row.name << ", run " << i;
      EXPECT_EQ(w.rows, e.rows) << row.name << ", run " << i;
      EXPECT_EQ(w.columns, e.columns) << row.name << ", run " << i;
      EXPECT_EQ(w.texts, e.texts) << row.name << ", run " << i;
    }
  }
}

}  // namespace
}  // namespace quenby
