// What keeps the start light without changing the look: the icon the program shows is the
// build's drawing of the picture, pixel for pixel at every size, and only the controls whose
// colours differ from their window's carry a palette of their own.

#include <gtest/gtest.h>

#include <QIcon>
#include <QImage>
#include <memory>
#include <string>

#include "logtally/form1.h"
#include "multilength/form2.h"
#include "sawn/form3.h"
#include "shell/appearance.h"

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

}  // namespace
}  // namespace quenby
