#pragma once
// SheetWindow: the frameless, fixed-size window every calculator sheet lives in. It builds one
// widget per control of its layout table, binds text fields and combo boxes to the sheet's fields
// by address, chains the focus, paints the background picture, and moves the window when the
// user presses a mouse button on that background. Derived windows own their sheet, bind it, and
// connect their buttons through onClick(), which runs every handler inside the error guard.

#include <QWidget>
#include <functional>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "calc/field.h"
#include "calc/layout.h"
#include "shell/appearance.h"
#include "shell/error_guard.h"

namespace quenby::shell {

class SheetWindow : public QWidget {
  Q_OBJECT

 public:
  SheetWindow(const layout::Window& table, Backdrop backdrop, QWidget* parent = nullptr);

  // The widget built for a control, or nullptr when the table has none of that address.
  QWidget* control(FieldId id) const;
  template <class T>
  T* control(FieldId id) const {
    return qobject_cast<T*>(control(id));
  }
  // The control a widget was built for (a combo box's inner line edit counts as the combo box).
  std::optional<FieldId> addressOf(const QWidget* widget) const;

  const layout::Window& table() const { return table_; }
  QSize fixedClientSize() const;

 protected:
  // Binds every field that has a widget of the same address; returns how many were bound.
  int bind(const std::vector<NamedField>& fields);
  void onClick(FieldId button, std::function<void()> handler);
  template <class Handler>
  void guard(Handler&& handler) {
    guarded(this, std::forward<Handler>(handler));
  }

  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  QWidget* createWidget(const layout::Control& control);
  void chainFocus();
  void restoreFixedSize();

  const layout::Window& table_;
  Backdrop backdrop_;
  std::map<std::pair<std::string_view, int>, QWidget*> controls_;
  bool movingByHand_ = false;
  QPoint grabOffset_;  // cursor position relative to the window's top left while moving by hand
};

}  // namespace quenby::shell
