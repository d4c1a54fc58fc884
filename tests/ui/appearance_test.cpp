// What the desktop shows of the application: the icon every window carries, drawn from
// resources/quenby.svg, the desktop entry the windows belong to, and the windows' own colours
// under a dark desktop palette.

#include "shell/appearance.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <functional>
#include <map>
#include <memory>

#include "logtally/form1.h"
#include "multilength/form2.h"
#include "sawn/form3.h"

namespace quenby {
namespace {

bool near(QColor actual, QColor expected) {
  return std::abs(actual.red() - expected.red()) <= 3 && std::abs(actual.green() - expected.green()) <= 3 &&
         std::abs(actual.blue() - expected.blue()) <= 3 && actual.alpha() == expected.alpha();
}

TEST(ApplicationIcon, EveryWindowCarriesTheLogEndGrainAtTheDesktopsSizes) {
  Form1 form1;
  const QIcon icon = form1.windowIcon();
  for (int size : {16, 24, 32, 48, 64, 128, 256})
    EXPECT_TRUE(icon.availableSizes().contains(QSize(size, size))) << size;

  struct Point {
    const char* what;
    int size;
    QPoint at;
    QColor colour;
  };
  const Point points[] = {
      {"corner, outside the log", 48, {1, 1}, QColor(0, 0, 0, 0)},
      {"bark, right", 48, {44, 24}, QColor(0x5c, 0x3a, 0x1c)},
      {"bark, top", 48, {24, 3}, QColor(0x5c, 0x3a, 0x1c)},
      {"pith", 256, {128, 128}, QColor(0x96, 0x68, 0x34)},
      {"wood at the edge of the rings", 256, {128, 128 + 99}, QColor(0xcd, 0xa0, 0x60)},
  };
  for (const Point& p : points) {
    const QImage image = icon.pixmap(p.size, p.size).toImage();
    ASSERT_EQ(image.size(), QSize(p.size, p.size)) << p.what;
    EXPECT_TRUE(near(image.pixelColor(p.at), p.colour))
        << p.what << ": " << image.pixelColor(p.at).name(QColor::HexArgb).toStdString();
  }
}

TEST(ApplicationIcon, TheBuildRendersThePictureTheProgramShows) {
  const QImage shown =
      QApplication::windowIcon().pixmap(48, 48).toImage().convertToFormat(QImage::Format_ARGB32);
  EXPECT_EQ(shell::applicationIconImage(48).convertToFormat(QImage::Format_ARGB32), shown);
}

TEST(DesktopEntry, TheWindowsBelongToQuenbyDesktop) {
  EXPECT_EQ(QGuiApplication::desktopFileName(), "quenby");
}

// The windows are drawn on their own light artwork; a dark desktop palette must not reach them
// (white text in the white fields, on the light panel).
TEST(SheetColours, ADarkDesktopPaletteLeavesEveryWindowDarkOnLight) {
  const QPalette desktop = QApplication::palette();
  QPalette dark(QColor(60, 60, 60), QColor(40, 40, 40));  // button, window
  for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
    dark.setColor(role, QColor(230, 230, 230));
  dark.setColor(QPalette::Base, QColor(25, 25, 25));
  QApplication::setPalette(dark);

  const QColor black(0, 0, 0), white(255, 255, 255), red(255, 0, 0);
  struct Sample {
    const char* what;
    const char* window;
    FieldId control;
    QPalette::ColorRole role;
    QColor colour;
  };
  const Sample samples[] = {
      {"a field's text stays black", "Form1", {"Text1", 0}, QPalette::Text, black},
      {"a field stays white", "Form1", {"Text1", 0}, QPalette::Base, white},
      {"a red column stays red", "Form1", {"Text5", 3}, QPalette::Text, red},
      {"a label stays black", "Form1", {"Label12", 0}, QPalette::WindowText, black},
      {"the selector's text stays black", "Form1", {"Combo3"}, QPalette::Text, black},
      {"the selector's button text stays black", "Form1", {"Combo3"}, QPalette::ButtonText, black},
      {"a summary field's text stays black", "Form2", {"Text22", 7}, QPalette::Text, black},
      {"a red line stays red", "Form2", {"Text2", 7}, QPalette::Text, red},
      {"the plain button's text stays black", "Form2", {"Command5"}, QPalette::ButtonText, black},
      {"a choice box's text stays black", "Form3", {"Combo2"}, QPalette::Text, black},
      {"a choice box stays white", "Form3", {"Combo2"}, QPalette::Base, white},
      {"a label stays black", "Form3", {"Label5"}, QPalette::WindowText, black},
  };
  {
    Form1 form1;
    Form2 form2;
    Form3 form3;
    const std::map<std::string, shell::SheetWindow*> windows = {
        {"Form1", &form1}, {"Form2", &form2}, {"Form3", &form3}};
    for (const Sample& s : samples) {
      QWidget* w = windows.at(s.window)->control(s.control);
      ASSERT_NE(w, nullptr) << s.what << ": " << s.window << " " << toString(s.control);
      EXPECT_EQ(w->palette().color(s.role), s.colour)
          << s.what << ": " << s.window << " " << toString(s.control) << " role " << s.role << ": "
          << w->palette().color(s.role).name().toStdString();
    }
  }
  QApplication::setPalette(desktop);
}

}  // namespace
}  // namespace quenby
