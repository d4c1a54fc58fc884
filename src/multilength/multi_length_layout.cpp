// Form2's controls as data. Positions are twips inside the client area (7500 x 9645). Nineteen
// lines of six fields under their headings, the bill's parties around them, the buttons on the
// right and the totals below. The focus chain starts at the last line's amount, runs through the
// entry fields line by line and then through the computed fields from the bottom up.

#include "multilength/multi_length_layout.h"

#include <array>
#include <string>

#include "multilength/multi_length_sheet.h"
#include "sheet/layout_builders.h"

namespace quenby {
namespace {

using namespace layout;

constexpr double kNumberPoints = 10.5;
constexpr TextStyle kNumbers = {.fontFamily = kSong, .fontPoints = kNumberPoints, .align = Align::Center};

// Left edge and width of each column, Text1 … Text6.
constexpr std::array<int, 6> kColumnLeft = {1080, 1680, 2280, 2880, 3720, 4320};
constexpr std::array<int, 6> kColumnWidth = {615, 615, 615, 855, 615, 975};

// The lower lines are a little taller and overlap the next by a twip row.
constexpr Rect lineRect(int r, int column) {
  return {kColumnLeft[column], 1755 + 315 * r, kColumnWidth[column], r <= 12 ? 315 : 330};
}
constexpr bool redLine(int r) { return r % 4 == 3; }  // lines 3, 7, 11, 15

// The columns' headings, in column order; a line's fields are named after them ("第3行 件数").
struct Heading {
  FieldId id;
  Rect rect;
  std::string_view caption;
};
const std::array<Heading, MultiLengthSheet::kColumns.size()> kHeadings = {{
    {{"Label1", 0}, {1275, 1545, 495, 375}, "材长"},
    {{"Label2"}, {1800, 1545, 615, 375}, "径级"},
    {{"Label3", 0}, {2400, 1545, 615, 375}, "件数"},
    {{"Label4", 0}, {3120, 1545, 495, 375}, "材积"},
    {{"Label3", 1}, {3840, 1545, 495, 255}, "单价"},
    {{"Label4", 1}, {4560, 1545, 975, 375}, "金  额"},
}};

void addHeader(std::vector<Control>& c) {
  addCaptioned(c, label({"Label12"}, {480, 1245, 975, 255}, "购货单位"),
               text({"Text27"}, {1275, 1125, 3255, 315}));
  c.push_back(label({"Label13"}, {4575, 1185, 2415, 255}, "单位：米、厘米、元、立方米"));
  for (const Heading& h : kHeadings) c.push_back(label(h.id, h.rect, h.caption));
}

void addLines(std::vector<Control>& c) {
  for (int r = 0; r < MultiLengthSheet::kLines; ++r) {
    TextStyle style = kNumbers;
    style.red = redLine(r);
    for (size_t column = 0; column < MultiLengthSheet::kColumns.size(); ++column)
      c.push_back(
          named(ordinal(r + 1, "行") + " " + spoken(kHeadings[column].caption),
                text({MultiLengthSheet::kColumns[column], r}, lineRect(r, static_cast<int>(column)), style)));
  }
}

void addRightPanel(std::vector<Control>& c) {
  addCaptioned(c, label({"Label15"}, {6000, 2265, 870, 375}, "树   种"),
               text({"Text29"}, {5775, 2505, 1140, 315}, {.align = Align::Center}));
  addCaptioned(c, label({"Label14"}, {5925, 2985, 915, 255}, "检 尺 员"),
               text({"Text28"}, {5775, 3225, 1140, 315}, {.align = Align::Center}));
  c.push_back(button({"Command6"}, {5700, 3885, 1215, 495}, "返回", Face::BlueWhite, Action::Back));
  c.push_back(button({"Command7"}, {5685, 4545, 1215, 495}, "计算", Face::BlueWhite, Action::Calculate));
  c.push_back(button({"Command1"}, {5685, 5205, 1215, 495}, "清除数据", Face::BlueWhite, Action::Clear));
  c.push_back(button({"Command2"}, {5685, 5865, 1215, 495}, "导出表格", Face::BlueWhite, Action::Export));
  c.push_back(button({"Command3"}, {5700, 6525, 1215, 495}, "退出", Face::BlueWhite, Action::Quit));
}

void addTotals(std::vector<Control>& c) {
  addCaptioned(c, label({"Label5", 0}, {540, 7875, 975, 255}, "合计  件数"),
               text({"Text22", 5}, {1500, 7815, 855, 315}, kNumbers));
  // The total volume's caption leans on the "合计" of the total count before it.
  c.push_back(label({"Label16", 0}, {2550, 7875, 495, 495}, "材积"));
  c.push_back(named("合计材积", text({"Text22", 4}, {2940, 7815, 975, 315}, kNumbers)));
  addCaptioned(c, label({"Label16", 1}, {4050, 7875, 735, 495}, "分级金额"),
               text({"Text22", 10}, {4860, 7815, 1215, 315}, kNumbers));
  addCaptioned(c, label({"Label5", 2}, {1125, 8355, 825, 255}, "平均单价"),
               text({"Text22", 7}, {1860, 8295, 855, 315}, kNumbers));
  addCaptioned(c, label({"Label5", 1}, {3600, 8355, 855, 255}, "均价金额"),
               text({"Text22", 6}, {4380, 8295, 1215, 315}, kNumbers));
  c.push_back(plainButton({"Command5"}, {5805, 8280, 1215, 375}, "更多速算器", Face::Grey, Action::WebPage));
  addCaptioned(c, label({"Label8"}, {1125, 8745, 1095, 375}, "售货单位"),
               text({"Text23"}, {1860, 8685, 3255, 315}));
}

// The last line's amount first; the entry fields line by line (the volume skipped); the volumes
// of lines 1 and 18; amount and volume alternating from line 17 up to line 2; the amounts of lines
// 1 and 0 and the volume of line 0; then the other fields and the buttons.
std::vector<FieldId> tabOrder() {
  constexpr int kLast = MultiLengthSheet::kLines - 1;
  std::vector<FieldId> order = {{"Text6", kLast}};
  for (int r = 0; r <= kLast; ++r)
    for (std::string_view column : {"Text1", "Text2", "Text3", "Text5"}) order.push_back({column, r});
  order.push_back({"Text4", 1});
  order.push_back({"Text4", kLast});
  for (int r = kLast - 1; r >= 2; --r) {
    order.push_back({"Text6", r});
    order.push_back({"Text4", r});
  }
  for (FieldId id : {FieldId{"Text6", 1}, FieldId{"Text6", 0}, FieldId{"Text4", 0}, FieldId{"Command5"},
                     FieldId{"Text22", 10}, FieldId{"Text29"}, FieldId{"Text28"}, FieldId{"Text27"},
                     FieldId{"Text23"}, FieldId{"Command3"}, FieldId{"Text22", 7}, FieldId{"Text22", 6},
                     FieldId{"Text22", 5}, FieldId{"Text22", 4}, FieldId{"Command2"}, FieldId{"Command1"},
                     FieldId{"Command6"}, FieldId{"Command7"}}) {
    order.push_back(id);
  }
  return order;
}

layout::Window build() {
  layout::Window w;
  w.name = "Form2";
  w.clientWidth = 7500;
  w.clientHeight = 9645;
  w.caption = "";
  addHeader(w.controls);
  addLines(w.controls);
  addRightPanel(w.controls);
  addTotals(w.controls);
  w.tabOrder = tabOrder();
  w.initialFocus = {"Text6", MultiLengthSheet::kLines - 1};
  // The amount column has neither the selection on entry nor the arrow moves.
  w.entryArrays = {"Text1", "Text2", "Text3", "Text4", "Text5"};
  w.backdrop = {.title = "Quenby",
                .width = 7500,
                .height = 9645,
                .bandHeight = 900,
                .panel = {300, 1005, 6900, 8340},
                .style = PanelStyle::Dotted};
  w.size = SizePolicy::KeepFixed;
  w.onClose = CloseAction::Quit;
  return w;
}

}  // namespace

const layout::Window& multiLengthLayout() {
  static const layout::Window window = build();
  return window;
}

}  // namespace quenby
