// What keeps the start light without changing the look: the icon the program shows is the
// build's drawing of the picture, pixel for pixel at every size; the sheet windows show the
// button faces and band titles the build drew, pixel for pixel as they would draw them, at the
// screen's pixel ratio (ctest runs BuiltPictures at the ratios 1 and 2); and only the controls
// whose colours differ from their window's carry a palette of their own.

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QResource>
#include <QStringList>
#include <memory>
#include <string>

#include "logtally/form1.h"
#include "logtally/log_tally_layout.h"
#include "multilength/form2.h"
#include "multilength/multi_length_layout.h"
#include "sawn/form3.h"
#include "sawn/sawn_timber_layout.h"
#include "shell/appearance.h"
#include "shell/built_pictures.h"
#include "shell/picture_button.h"

namespace quenby {
namespace {

TEST(LightStart, TheIconShowsThePictureAsDrawnAtEverySize) {
  const QIcon icon = shell::applicationIcon();
  for (int size : shell::kIconSizes) {
    const QImage shown = icon.pixmap(size, size).toImage();
    ASSERT_EQ(shown.size(), QSize(size, size)) << size;
    EXPECT_EQ(shown.convertToFormat(QImage::Format_ARGB32_Premultiplied), shell::applicationIconImage(size))
        << size;
  }
}

TEST(LightStart, OnlyRedTextAndPlainButtonsCarryAPaletteOfTheirOwn) {
  const std::unique_ptr<shell::SheetWindow> windows[] = {std::make_unique<Form1>(), std::make_unique<Form2>(),
                                                         std::make_unique<Form3>()};
  for (const auto& window : windows) {
    for (const layout::Control& c : window->table().controls) {
      const bool own = c.red || c.kind == layout::Kind::PlainButton;
      QWidget* widget = window->control(c.id);
      ASSERT_NE(widget, nullptr) << toString(c.id);
      EXPECT_EQ(widget->testAttribute(Qt::WA_SetPalette), own)
          << window->metaObject()->className() << " " << toString(c.id);
    }
  }
}

// Every picture button of the three windows and every title has its pictures, shown in place of
// the drawing (not drawn at start), and a window shows exactly what the same window draws when
// the build has drawn nothing for it: at rest and with each button pressed.
TEST(BuiltPictures, TheWindowsShowThemPixelForPixelAsTheyWouldDrawThem) {
  const int ratio = qRound(qApp->devicePixelRatio());
  for (const layout::Window* table : {&logTallyLayout(), &multiLengthLayout(), &sawnTimberLayout()}) {
    const std::string window(table->name);
    ASSERT_TRUE(shell::builtPicture(shell::titlePictureName(table->name), ratio)) << window << " title";
    layout::Window unnamed = *table;
    unnamed.name = {};
    shell::SheetWindow built(*table), drawn(unnamed);
    EXPECT_EQ(built.grab().toImage(), drawn.grab().toImage()) << window << " at rest, ratio " << ratio;
    for (const layout::Control& c : table->controls) {
      if (c.kind != layout::Kind::PictureButton) continue;
      const std::string button = window + " " + toString(c.id);
      auto* shown = built.control<shell::PictureButton>(c.id);
      auto* live = drawn.control<shell::PictureButton>(c.id);
      ASSERT_TRUE(shown && live) << button;
      for (bool down : {false, true}) {
        const auto picture = shell::builtPicture(shell::buttonPictureName(table->name, c.id, down), ratio);
        ASSERT_TRUE(picture) << button << (down ? " pressed" : " at rest");
        EXPECT_EQ(picture->place, shown->rect()) << button;
      }
      shown->setDown(true);
      live->setDown(true);
      EXPECT_EQ(built.grab().toImage(), drawn.grab().toImage()) << button << " pressed, ratio " << ratio;
      shown->setDown(false);
      live->setDown(false);
    }
  }
}

// At the ratio 1 every picture is shown from the program's own bytes, not from a copy of them.
TEST(BuiltPictures, AtTheRatio1TheyAreShownWhereTheProgramHoldsThem) {
  for (const layout::Window* table : {&logTallyLayout(), &multiLengthLayout(), &sawnTimberLayout()}) {
    shell::SheetWindow window(*table);  // registers the pictures
    QStringList names{shell::titlePictureName(table->name)};
    for (const layout::Control& c : table->controls)
      if (c.kind == layout::Kind::PictureButton)
        for (bool down : {false, true}) names << shell::buttonPictureName(table->name, c.id, down);
    for (const QString& name : names) {
      const QResource stored(QStringLiteral(":/quenby/pictures/") + shell::pictureFile(name, 1));
      const auto picture = shell::builtPicture(name, 1);
      ASSERT_TRUE(picture && stored.isValid()) << name.toStdString();
      EXPECT_EQ(picture->image.constBits(), stored.data() + 4 * sizeof(qint32)) << name.toStdString();
    }
  }
}

}  // namespace
}  // namespace quenby
