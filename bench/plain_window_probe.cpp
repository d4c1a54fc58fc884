// The yardstick for startup_probe: a plain Qt 6 window with the log tally window's widgets, as
// anyone would write it with Qt alone: the same size (727 x 646), the same 199 line edits, 5 combo
// boxes with their lists, 6 buttons and 36 labels with their texts, the same Song-style face at
// 9, 10.5 and 12 pt, the red grid rows, the texts the fields start with, the focus in the first
// length, on a plain background. Leaves at its first frame, as the
// probe does (first_frame.h).

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include "first_frame.h"

namespace {

struct Caption {
  int x, y, width, height;
  const char* text;
};

const Caption kLabels[] = {
    {75, 124, 37, 17, "材长"},        {205, 124, 37, 17, "材长"},     {325, 124, 37, 17, "材长"},
    {465, 124, 37, 17, "材长"},       {45, 460, 25, 17, "小计"},      {180, 460, 25, 17, "小计"},
    {320, 460, 25, 17, "小计"},       {455, 460, 25, 17, "小计"},     {63, 484, 41, 16, "单 价"},
    {207, 484, 41, 16, "单 价"},      {338, 484, 41, 16, "单 价"},    {475, 484, 41, 16, "单 价"},
    {103, 484, 76, 16, "金   额"},    {247, 484, 76, 16, "金   额"},  {378, 484, 76, 16, "金   额"},
    {515, 484, 76, 16, "金   额"},    {112, 532, 65, 16, "总件数"},   {184, 532, 81, 16, "总材积"},
    {280, 532, 81, 16, "分级总金额"}, {384, 532, 65, 16, "平均单价"}, {448, 532, 81, 16, "均价总金额"},
    {620, 180, 61, 17, "树   种"},    {604, 228, 57, 25, "检 尺 员"},
};

const Caption kButtons[] = {
    {604, 308, 81, 33, "计 算"},  {604, 352, 81, 33, "清除数据"}, {605, 396, 81, 33, "导出表格"},
    {605, 440, 80, 33, "最小化"}, {604, 484, 81, 33, "退 出"},    {596, 540, 81, 25, "更多速算器"},
};

struct Choice {
  int x, y, width;
  QStringList items;
  bool editable;
};

struct Box {
  int x, y, width;
};

const int kGroupLeft[] = {45, 180, 320, 455};
const int kColumnLeft[] = {0, 30, 70};
const int kColumnWidth[] = {36, 41, 61};
// The subtotals, unit price and amount under each group.
const int kCountLeft[] = {70, 205, 345, 480};
const int kVolumeLeft[] = {115, 255, 390, 530};
const int kPriceLeft[] = {63, 207, 338, 475};
const int kAmountLeft[] = {103, 247, 378, 515};

QLineEdit* edit(QWidget* window, const Box& box, const QFont& font, Qt::Alignment align = Qt::AlignLeft) {
  auto* e = new QLineEdit(window);
  e->setGeometry(box.x, box.y, box.width, 21);
  e->setFont(font);
  e->setAlignment(align | Qt::AlignVCenter);
  return e;
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QWidget window;
  window.setFixedSize(727, 646);
  window.setFont(QFont(QStringLiteral("AR PL UMing CN"), 9));
  const QFont cell(QStringLiteral("AR PL UMing CN"), 10.5);
  const QFont length(QStringLiteral("AR PL UMing CN"), 12);
  QPalette red = window.palette();
  red.setColor(QPalette::Text, QColor(255, 0, 0));

  for (const Caption& c : kLabels)
    (new QLabel(QString::fromUtf8(c.text), &window))->setGeometry(c.x, c.y, c.width, c.height);
  const QString headers[] = {QStringLiteral("径级"), QStringLiteral("件数"), QStringLiteral("材  积")};
  for (int g = 0; g < 4; ++g) {
    for (int k = 0; k < 3; ++k) {
      auto* header = new QLabel(headers[k], &window);
      header->setGeometry(kGroupLeft[g] + kColumnLeft[k], 148, kColumnWidth[k], 16);
      header->setAlignment(Qt::AlignCenter);
    }
  }
  auto* units = new QLabel(QStringLiteral("单位：米、厘米、元           立方米"), &window);
  units->setGeometry(565, 124, 111, 27);
  units->setWordWrap(true);

  const QFont& plain = window.font();
  for (const Box& b : {Box{129, 88, 235}, Box{451, 88, 185}, Box{118, 580, 252}, Box{460, 580, 136},
                       Box{605, 196, 78}, Box{605, 244, 78}})
    edit(&window, b, plain);
  QLineEdit* firstLength = nullptr;
  for (int left : {115, 245, 365, 505}) {
    QLineEdit* e = edit(&window, {left, 120, 48}, length);
    if (!firstLength) firstLength = e;
  }
  firstLength->setText(QStringLiteral("4"));
  for (int row = 0; row < 14; ++row) {
    for (int index = 0; index < 12; ++index) {
      const int g = index / 3, k = index % 3;
      QLineEdit* e = edit(&window, {kGroupLeft[g] + kColumnLeft[k], 164 + 20 * row, kColumnWidth[k]}, cell,
                          k == 0 ? Qt::AlignHCenter : Qt::AlignLeft);
      if (k == 0) e->setText(QString::number(2 * row + 4));  // the standard diameters
      if (row == 4 || row == 9) e->setPalette(red);
    }
  }
  for (int g = 0; g < 4; ++g) {
    edit(&window, {kCountLeft[g], 456, 51}, cell);
    edit(&window, {kVolumeLeft[g], 456, 61}, cell);
    edit(&window, {kPriceLeft[g], 496, 41}, cell);
    edit(&window, {kAmountLeft[g], 496, 76}, cell);
  }
  for (const Box& b :
       {Box{112, 548, 65}, Box{184, 548, 81}, Box{280, 548, 81}, Box{384, 548, 65}, Box{448, 548, 81}})
    edit(&window, b, cell);

  const Choice choices[] = {
      {52, 88, 73, {"购货单位", "单位", "地点", "公司名称", "林班小班"}, true},
      {372,
       88,
       71,
       {"车号", "联系人", "联系电话", "银行账号", "地址", "部门", "林班小班", "违法行为人", "小地名"},
       true},
      {39,
       580,
       73,
       {"出货单位", "单位", "参加人员", "电话", "银行账号", "联系人", "鉴定人", "小地名", "公司名称",
        "林班小班"},
       true},
      {380,
       582,
       71,
       {"联系人", "电话", "银行账号", "地址", "参与人", "见证人", "职称", "小地名", "林班小班"},
       true},
      {605, 276, 81, {"原木计算", "多 材 长", "锯材计算"}, false},
  };
  for (const Choice& c : choices) {
    auto* combo = new QComboBox(&window);
    combo->setEditable(c.editable);
    combo->addItems(c.items);
    combo->setGeometry(c.x, c.y, c.width, 20);
  }
  for (const Caption& b : kButtons)
    (new QPushButton(QString::fromUtf8(b.text), &window))->setGeometry(b.x, b.y, b.width, b.height);

  firstLength->setFocus();
  bench::leaveAtFirstFrame(&window);
  window.show();
  return QApplication::exec();
}
