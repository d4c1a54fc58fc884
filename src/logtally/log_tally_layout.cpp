// Form1's controls as data. Positions are twips inside the client area (10900 x 9690). The window
// builds one widget per entry; the focus chain runs down the count columns group by group, so a
// load can be typed in with the Tab key alone.

#include "logtally/log_tally_layout.h"

#include <array>
#include <string>

#include "logtally/log_tally_sheet.h"
#include "sheet/layout_builders.h"

namespace quenby {
namespace {

using namespace layout;

constexpr double kCellPoints = 10.5;  // the grid, and the numbers under it to match
constexpr double kLengthPoints = 12;
constexpr TextStyle kNumbers = {.fontFamily = kSong, .fontPoints = kCellPoints};

constexpr int kRows = LogTallySheet::kRows;
constexpr int kGroups = LogTallySheet::kGroups;
constexpr std::array<int, kGroups> kGroupLeft = {675, 2700, 4800, 6825};

// Column k of a group: left offset and width of its cells.
constexpr std::array<int, 3> kColumnOffset = {0, 450, 1050};
constexpr std::array<int, 3> kColumnWidth = {540, 615, 915};

constexpr int rowTop(int row) { return 2460 + 300 * (row - 1); }

// The captions a group repeats; its fields are named after them ("第1组 第3行 件数").
constexpr std::array<std::string_view, 3> kHeaders = {"径级", "件数", "材  积"};
constexpr std::string_view kLengthCaption = "材长";
constexpr std::string_view kSubtotalCaption = "小计";
constexpr std::string_view kPriceCaption = "单 价";
constexpr std::string_view kAmountCaption = "金   额";

std::string groupName(int g) { return ordinal(g + 1, "组") + " "; }

// Per group: length field, its "材长" label, and the crossed subtotal/price/amount indices.
struct GroupFields {
  FieldId length;
  FieldId lengthLabel;
  int countSubtotal, volumeSubtotal, amount;  // indices into Text16, Text16, Text19
  FieldId subtotalLabel;
  FieldId priceLabel;
  int countLeft, volumeLeft, priceLeft, amountLeft;
};
const std::array<GroupFields, kGroups> kGroupFields = {{
    {{"Text23"}, {"Label9"}, 0, 1, 0, {"Label13", 0}, {"Label11", 0}, 1050, 1725, 945, 1545},
    {{"Text15"}, {"Label10", 0}, 2, 3, 1, {"Label13", 1}, {"Label11", 1}, 3075, 3825, 3105, 3705},
    {{"Text26"}, {"Label10", 2}, 5, 4, 5, {"Label13", 2}, {"Label11", 5}, 5175, 5850, 5070, 5670},
    {{"Text21"}, {"Label6"}, 6, 7, 6, {"Label15"}, {"Label11", 6}, 7200, 7950, 7125, 7725},
}};
constexpr std::array<int, kGroups> kLengthLeft = {1725, 3675, 5475, 7575};

void addBillParties(std::vector<Control>& c) {
  addParty(c, combo({"Combo4"}, {780, 1320, 1095, 300}, {"购货单位", "单位", "地点", "公司名称", "林班小班"}),
           text({"Text17"}, {1935, 1320, 3525, 315}));
  addParty(
      c,
      combo({"Combo2"}, {5580, 1320, 1065, 300},
            {"车号", "联系人", "联系电话", "银行账号", "地址", "部门", "林班小班", "违法行为人", "小地名"}),
      text({"Text22"}, {6765, 1320, 2775, 315}));
}

void addGrid(std::vector<Control>& c) {
  static constexpr std::array<std::string_view, 3> kHeaderArrays = {"Label2", "Label3", "Label4"};
  for (int g = 0; g < kGroups; ++g) {
    const GroupFields& group = kGroupFields[g];
    const int lengthLeft = kLengthLeft[g];
    c.push_back(label(group.lengthLabel, {lengthLeft - 600, 1860, 555, 255}, kLengthCaption, Align::Right));
    c.push_back(named(groupName(g) + spoken(kLengthCaption),
                      text(group.length, {lengthLeft, 1800, 720, 315},
                           {.fontFamily = kSong, .fontPoints = kLengthPoints})));
    for (int k = 0; k < 3; ++k) {
      c.push_back(label({kHeaderArrays[k], g}, {kGroupLeft[g] + kColumnOffset[k], 2220, kColumnWidth[k], 240},
                        kHeaders[k], Align::Center));
    }
  }
  for (int row = 1; row <= kRows; ++row) {
    for (int index = 0; index < LogTallySheet::kColumns; ++index) {
      const int g = index / 3, k = index % 3;
      const TextStyle style = {.fontFamily = kSong,
                               .fontPoints = kCellPoints,
                               .align = k == 0 ? Align::Center : Align::Left,
                               .red = row == 5 || row == 10};
      c.push_back(named(groupName(g) + ordinal(row, "行") + " " + spoken(kHeaders[k]),
                        text({LogTallySheet::rowArray(row), index},
                             {kGroupLeft[g] + kColumnOffset[k], rowTop(row), kColumnWidth[k], 315}, style)));
    }
  }
}

void addGroupFooters(std::vector<Control>& c) {
  for (int g = 0; g < kGroups; ++g) {
    const GroupFields& group = kGroupFields[g];
    const std::string name = groupName(g);
    c.push_back(label(group.subtotalLabel, {kGroupLeft[g], 6900, 375, 255}, kSubtotalCaption));
    c.push_back(named(name + spoken(kHeaders[1]) + std::string(kSubtotalCaption),
                      text({"Text16", group.countSubtotal}, {group.countLeft, 6840, 765, 315}, kNumbers)));
    c.push_back(named(name + spoken(kHeaders[2]) + std::string(kSubtotalCaption),
                      text({"Text16", group.volumeSubtotal}, {group.volumeLeft, 6840, 915, 315}, kNumbers)));
    c.push_back(label(group.priceLabel, {group.priceLeft, 7260, 615, 240}, kPriceCaption, Align::Center));
    c.push_back(label({"Label12", g}, {group.amountLeft, 7260, 1140, 240}, kAmountCaption, Align::Center));
    c.push_back(named(name + spoken(kPriceCaption),
                      text({"Text18", g}, {group.priceLeft, 7440, 615, 315}, kNumbers)));
    c.push_back(named(name + spoken(kAmountCaption),
                      text({"Text19", group.amount}, {group.amountLeft, 7440, 1140, 315}, kNumbers)));
  }
}

void addTotals(std::vector<Control>& c) {
  struct Total {
    FieldId field, caption;
    std::string_view text;
    int left, width;
  };
  static const std::array<Total, 5> kTotals = {{
      {{"Text19", 4}, {"Label11", 4}, "总件数", 1680, 975},
      {{"Text19", 3}, {"Label11", 3}, "总材积", 2760, 1215},
      {{"Text19", 2}, {"Label11", 2}, "分级总金额", 4200, 1215},
      {{"Text28"}, {"Label19"}, "平均单价", 5760, 975},
      {{"Text29"}, {"Label20"}, "均价总金额", 6720, 1215},
  }};
  for (const Total& t : kTotals) {
    addCaptioned(c, label(t.caption, {t.left, 7980, t.width, 240}, t.text, Align::Center),
                 text(t.field, {t.left, 8220, t.width, 315}, kNumbers));
  }
  addParty(c,
           combo({"Combo5"}, {585, 8700, 1095, 300},
                 {"出货单位", "单位", "参加人员", "电话", "银行账号", "联系人", "鉴定人", "小地名",
                  "公司名称", "林班小班"}),
           text({"Text20"}, {1770, 8700, 3780, 315}));
  addParty(c,
           combo({"Combo1"}, {5700, 8730, 1065, 300},
                 {"联系人", "电话", "银行账号", "地址", "参与人", "见证人", "职称", "小地名", "林班小班"}),
           text({"Text24"}, {6900, 8700, 2040, 315}));
}

void addRightPanel(std::vector<Control>& c) {
  c.push_back(label({"Label8"}, {8475, 1860, 1665, 405}, "单位：米、厘米、元           立方米"));
  addCaptioned(c, label({"Label18"}, {9300, 2700, 915, 255}, "树   种"),
               text({"Text27"}, {9075, 2940, 1170, 315}));
  addCaptioned(c, label({"Label1"}, {9060, 3420, 855, 375}, "检 尺 员"),
               text({"Text25"}, {9075, 3660, 1170, 315}));
  // The calculator selector: its entries are the application's calculators, handed to Form1.
  c.push_back(
      named("计算器选择", combo({"Combo3"}, {9075, 4140, 1215, 300}, {}, false, Action::SwitchCalculator)));
  c.push_back(button({"Command7"}, {9060, 4620, 1215, 500}, "计 算", Face::BlueWhite, Action::Calculate));
  c.push_back(button({"Command4"}, {9060, 5280, 1215, 500}, "清除数据", Face::BlueWhite, Action::Clear));
  c.push_back(button({"Command3"}, {9075, 5940, 1215, 500}, "导出表格", Face::BlueWhite, Action::Export));
  c.push_back(button({"Command2"}, {9075, 6600, 1200, 500}, "最小化", Face::BlueWhite, Action::Minimise));
  c.push_back(button({"Command6"}, {9060, 7260, 1215, 500}, "退 出", Face::BlueWhite, Action::Quit));
  c.push_back(button({"Command1"}, {8940, 8100, 1215, 375}, "更多速算器", Face::LightDark, Action::WebPage));
}

// Counts group by group (each group's length first, its unit price last), then the diameter
// columns, the bill header fields, the computed fields in reading order, the buttons, and the
// remaining bill fields and combo boxes.
std::vector<FieldId> tabOrder() {
  std::vector<FieldId> order;
  auto column = [&](int index) {
    for (int row = 1; row <= kRows; ++row) order.push_back({LogTallySheet::rowArray(row), index});
  };
  for (int g = 0; g < kGroups; ++g) {
    order.push_back(kGroupFields[g].length);
    column(3 * g + 1);
    order.push_back({"Text18", g});
  }
  for (int g = 0; g < kGroups; ++g) column(3 * g);
  for (std::string_view name : {"Text17", "Text27", "Text25", "Text20"}) order.push_back({name});
  for (int g = 0; g < kGroups; ++g) column(3 * g + 2);
  for (const GroupFields& g : kGroupFields) {
    order.push_back({"Text16", g.countSubtotal});
    order.push_back({"Text16", g.volumeSubtotal});
  }
  for (const GroupFields& g : kGroupFields) order.push_back({"Text19", g.amount});
  for (FieldId id : {FieldId{"Text19", 4}, FieldId{"Text19", 3}, FieldId{"Text19", 2}, FieldId{"Text28"},
                     FieldId{"Text29"}}) {
    order.push_back(id);
  }
  for (std::string_view name : {"Command7", "Command4", "Command3", "Command2", "Command6", "Command1",
                                "Text22", "Text24", "Combo4", "Combo2", "Combo5", "Combo1", "Combo3"}) {
    order.push_back({name});
  }
  return order;
}

layout::Window build() {
  layout::Window w;
  w.name = "Form1";
  w.clientWidth = 10900;
  w.clientHeight = 9690;
  w.caption = "Quenby";
  addBillParties(w.controls);
  addGrid(w.controls);
  addGroupFooters(w.controls);
  addTotals(w.controls);
  addRightPanel(w.controls);
  w.tabOrder = tabOrder();
  w.initialFocus = {"Text23"};
  // Every grid row: whole-text selection on entry, Down and Up along the row.
  for (int row = 1; row <= kRows; ++row) w.entryArrays.push_back(LogTallySheet::rowArray(row));
  w.backdrop = {.title = "Quenby",
                .width = 10905,
                .height = 9690,
                .bandHeight = 1125,
                .panel = {435, 1710, 10095, 7560},
                .tabs = {{690, 1230, 1275, 480}, {5490, 1230, 1245, 480}},
                .style = PanelStyle::Framed};
  w.size = SizePolicy::KeepFixed;
  w.onClose = CloseAction::Quit;
  return w;
}

}  // namespace

const layout::Window& logTallyLayout() {
  static const layout::Window window = build();
  return window;
}

}  // namespace quenby
