// What the desktop shows of the application: the icon every window carries, drawn from
// resources/quenby.svg, and the desktop entry the windows belong to.

#include "shell/appearance.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <memory>

#include "logtally/form1.h"

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
    ASSERT_EQ(image.size(), QSize(p.size, p.size));
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

}  // namespace
}  // namespace quenby
