// Form3's controls as data. Positions are twips inside the layout area (9450 x 7230); the window
// itself is made 9425 x 7230 once, when it is created. The eight lines form a ruled grid: each
// field is a little wider and taller than the step to its neighbour, so their borders overlap.
// The focus runs through the entry columns line by line, then the computed columns.

#include "sawn/sawn_timber_layout.h"

#include <array>
#include <string>

#include "sawn/sawn_timber_sheet.h"
#include "sheet/layout_builders.h"

namespace quenby {
namespace {

using namespace layout;

constexpr TextStyle kCentred = {.fontFamily = kSong, .fontPoints = 10.5, .align = Align::Center};
constexpr TextStyle kLeft = {.fontFamily = kSong, .fontPoints = 10.5, .align = Align::Left};

// Left edge, width and word of each column; a line's fields are named after the word ("第3行 宽").
struct Column {
  int left, width;
  std::string_view word;
};
constexpr std::array<Column, SawnTimberSheet::kColumns> kColumns = {{
    {1080, 855, "长"},
    {1800, 855, "宽"},
    {2520, 855, "厚"},
    {3240, 855, "件数"},
    {3960, 975, "材积"},
    {4920, 855, "单价"},
    {5640, 975, "金额"},
}};
constexpr int kVolume = 4, kAmount = 6;  // indices into kColumns
constexpr int kLines = SawnTimberSheet::kLines;
constexpr int lineTop(int r) { return 2385 + 360 * r; }

void addTopHeader(std::vector<Control>& c) {
  addParty(c, combo({"Combo3"}, {585, 1350, 1140, 300}, {"购货单位", "公司名称"}),
           text({"Text10"}, {1800, 1305, 3525, 375}, kLeft));
  addParty(c, combo({"Combo2"}, {5445, 1350, 1140, 300}, {"车号", "联系人", "电话", "银行账号", "地址"}),
           text({"Text11"}, {6615, 1305, 2085, 375}, kLeft));
}

void addHeadings(std::vector<Control>& c) {
  // The blanks put each word over its column.
  c.push_back(label({"Label6"}, {1320, 2025, 2775, 255}, "（长、    宽、   厚、   件）"));
  c.push_back(label({"Label1", 0}, {4320, 2025, 495, 255}, "材积"));
  c.push_back(label({"Label1", 2}, {5160, 2025, 495, 255}, "单价"));
  c.push_back(label({"Label1", 1}, {5880, 2025, 495, 255}, "金额"));
  c.push_back(label({"Label5"}, {6600, 2085, 1695, 255}, "单位：立方米、元"));
}

void addLines(std::vector<Control>& c) {
  for (int r = 0; r < kLines; ++r)
    for (int column = 1; column <= SawnTimberSheet::kColumns; ++column) {
      const Column& col = kColumns[column - 1];
      c.push_back(named(
          ordinal(r + 1, "行") + " " + std::string(col.word),
          text({SawnTimberSheet::lineArray(column), r}, {col.left, lineTop(r), col.width, 375}, kCentred)));
    }
}

void addRightPanel(std::vector<Control>& c) {
  addCaptioned(c, label({"Label10"}, {7560, 2310, 615, 375}, "检尺员"),
               text({"Text14"}, {7200, 2550, 1215, 375}, kCentred));
  c.push_back(button({"Command5"}, {7200, 3030, 1200, 490}, "返 回", Face::WhiteDark, Action::Back));
  c.push_back(button({"Command3"}, {7200, 3630, 1200, 490}, "计 算", Face::WhiteDark, Action::Calculate));
  c.push_back(button({"Command1"}, {7200, 4230, 1200, 490}, "清除数据", Face::WhiteDark, Action::Clear));
  c.push_back(button({"Command4"}, {7200, 4830, 1200, 490}, "导出表格", Face::WhiteDark, Action::Export));
  c.push_back(button({"Command2"}, {7200, 5430, 1200, 450}, "更多速算器", Face::SteelDark, Action::WebPage));
}

void addTotalsAndFooter(std::vector<Control>& c) {
  // The totals sit under their columns, after the caption "合计".
  constexpr std::string_view kTotal = "合计";
  c.push_back(label({"Label3"}, {3240, 5505, 495, 375}, kTotal, Align::Center));
  c.push_back(named(std::string(kTotal) + std::string(kColumns[kVolume].word),
                    text({"Text8"}, {3960, 5385, 975, 375}, kCentred)));
  c.push_back(named(std::string(kTotal) + std::string(kColumns[kAmount].word),
                    text({"Text9"}, {5640, 5385, 975, 375}, kCentred)));
  addParty(c, combo({"Combo4"}, {585, 6255, 1140, 300}, {"出货单位", "银行账号", "联系人", "联系电话"}),
           text({"Text13"}, {1800, 6210, 3525, 375}, kLeft));
  addParty(c, combo({"Combo1"}, {5445, 6255, 1140, 300}, {"联系人", "车号", "银行账号", "地址", "电话"}),
           text({"Text12"}, {6615, 6210, 2175, 375}, kLeft));
}

// The entry fields line by line (length, width, thickness, pieces, unit price), then volume and
// amount line by line, then the totals, the buttons, the header fields and the caption boxes.
std::vector<FieldId> tabOrder() {
  std::vector<FieldId> order;
  for (int r = 0; r < kLines; ++r)
    for (std::string_view array : {"Text1", "Text2", "Text3", "Text4", "Text6"}) order.push_back({array, r});
  for (int r = 0; r < kLines; ++r) {
    order.push_back({"Text5", r});
    order.push_back({"Text7", r});
  }
  for (std::string_view name :
       {"Text8", "Text9", "Command1", "Command2", "Command3", "Command4", "Command5", "Text10", "Text11",
        "Text12", "Text13", "Text14", "Combo1", "Combo2", "Combo3", "Combo4"}) {
    order.push_back({name});
  }
  return order;
}

layout::Window build() {
  layout::Window w;
  w.name = "Form3";
  w.clientWidth = 9425;
  w.clientHeight = 7230;
  w.caption = "Marlo";
  addTopHeader(w.controls);
  addHeadings(w.controls);
  addLines(w.controls);
  addRightPanel(w.controls);
  addTotalsAndFooter(w.controls);
  w.tabOrder = tabOrder();
  w.initialFocus = {"Text1", 0};
  // Volume and amount are computed: they keep the ordinary focus and keys.
  w.entryArrays = {"Text1", "Text2", "Text3", "Text4", "Text6"};
  w.backdrop = {.title = "Marlo",
                .width = 9420,
                .height = 7230,
                .bandHeight = 1005,
                .panel = {405, 1140, 8610, 5655},
                .style = PanelStyle::Dotted};
  w.size = SizePolicy::SetOnce;
  w.onClose = CloseAction::Back;
  return w;
}

}  // namespace

const layout::Window& sawnTimberLayout() {
  static const layout::Window window = build();
  return window;
}

}  // namespace quenby
