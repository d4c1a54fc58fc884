#include "shell/sheet_window.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QWindow>
#include <algorithm>

#include "shell/field_binding.h"
#include "shell/picture_button.h"
#include "shell/twips.h"

namespace quenby::shell {

namespace {

QString qt(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

Qt::Alignment horizontal(layout::Align align) {
  switch (align) {
    case layout::Align::Center:
      return Qt::AlignHCenter;
    case layout::Align::Right:
      return Qt::AlignRight;
    case layout::Align::Left:
      break;
  }
  return Qt::AlignLeft;
}

void applyFont(QWidget* widget, const layout::Control& c) {
  if (c.fontFamily.empty() && c.fontPoints == 0) return;
  QFont font = widget->font();
  if (!c.fontFamily.empty()) font.setFamily(qt(c.fontFamily));
  if (c.fontPoints > 0) font.setPointSizeF(c.fontPoints);
  widget->setFont(font);
}

void applyRed(QWidget* widget) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Text, Qt::red);
  palette.setColor(QPalette::WindowText, Qt::red);
  widget->setPalette(palette);
}

}  // namespace

SheetWindow::SheetWindow(const layout::Window& table, Backdrop backdrop, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowMinimizeButtonHint),
      table_(table),
      backdrop_(std::move(backdrop)) {
  setWindowTitle(qt(table.caption));  // the icon is the application's (main sets it)
  setFont(sheetFont());
  setFixedSize(fixedClientSize());
  // Labels lie lowest, so that a field sharing their rectangle stays readable; the rest stack in
  // table order.
  for (const layout::Control& c : table.controls) {
    if (c.kind == layout::Kind::Label) controls_[{c.id.name, c.id.index}] = createWidget(c);
  }
  for (const layout::Control& c : table.controls) {
    if (c.kind != layout::Kind::Label) controls_[{c.id.name, c.id.index}] = createWidget(c);
  }
  chainFocus();
  if (QWidget* first = control(table.initialFocus)) first->setFocus(Qt::OtherFocusReason);
}

QWidget* SheetWindow::createWidget(const layout::Control& c) {
  QWidget* widget = nullptr;
  switch (c.kind) {
    case layout::Kind::TextField: {
      auto* edit = new QLineEdit(this);
      edit->setAlignment(horizontal(c.align) | Qt::AlignVCenter);
      widget = edit;
      break;
    }
    case layout::Kind::ComboBox: {
      auto* combo = new QComboBox(this);
      combo->setEditable(c.editable);
      combo->setInsertPolicy(QComboBox::NoInsert);
      // Inline completion would show a text the user never typed and the field never saw.
      if (c.editable) combo->setCompleter(nullptr);
      for (std::string_view item : c.items) combo->addItem(qt(item));
      widget = combo;
      break;
    }
    case layout::Kind::Label: {
      auto* label = new QLabel(qt(c.caption), this);
      label->setAlignment(horizontal(c.align) | Qt::AlignTop);
      // Only captions wider than their box wrap; the rest stay on one line whatever the font.
      label->setWordWrap(label->fontMetrics().horizontalAdvance(label->text()) > pixels(c.rect).width());
      widget = label;
      break;
    }
    case layout::Kind::PictureButton:
      widget = new PictureButton(qt(c.caption), c.face, this);
      break;
    case layout::Kind::PlainButton:
      widget = new QPushButton(qt(c.caption), this);
      break;
  }
  widget->setObjectName(QString::fromStdString(toString(c.id)));
  applyFont(widget, c);
  if (c.red) applyRed(widget);
  widget->setGeometry(pixels(c.rect));
  return widget;
}

QWidget* SheetWindow::control(FieldId id) const {
  auto it = controls_.find({id.name, id.index});
  return it == controls_.end() ? nullptr : it->second;
}

std::optional<FieldId> SheetWindow::addressOf(const QWidget* widget) const {
  for (; widget && widget != this; widget = widget->parentWidget()) {
    for (const auto& [key, w] : controls_) {
      if (w == widget) return FieldId{key.first, key.second};
    }
  }
  return std::nullopt;
}

QSize SheetWindow::fixedClientSize() const { return clientPixels(table_); }

int SheetWindow::bind(const std::vector<NamedField>& fields) {
  int bound = 0;
  for (const NamedField& named : fields) {
    QWidget* widget = control(named.id);
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
      bindLineEdit(edit, *named.field, this);
      ++bound;
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
      bindComboBox(combo, *named.field, this);
      ++bound;
    }
  }
  return bound;
}

void SheetWindow::onClick(FieldId button, std::function<void()> handler) {
  auto* b = control<QAbstractButton>(button);
  if (!b) return;
  connect(b, &QAbstractButton::clicked, this, [this, handler = std::move(handler)] { guard(handler); });
}

void SheetWindow::chainFocus() {
  std::vector<QWidget*> chain;
  auto add = [&chain](QWidget* w) {
    if (w && w->focusPolicy() != Qt::NoFocus && std::find(chain.begin(), chain.end(), w) == chain.end()) {
      chain.push_back(w);
    }
  };
  for (FieldId id : table_.tabOrder) add(control(id));
  for (const layout::Control& c : table_.controls) add(control(c.id));
  for (size_t i = 1; i < chain.size(); ++i) setTabOrder(chain[i - 1], chain[i]);
}

void SheetWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  paintBackdrop(painter, backdrop_, width(), height());
}

// Any mouse button on the background itself moves the window, as a title bar would; a press on a
// control (labels included) does not.
void SheetWindow::mousePressEvent(QMouseEvent* event) {
  guard([&] {
    event->accept();
    if (childAt(event->position().toPoint())) return;
    QWindow* window = windowHandle();
    if (window && window->startSystemMove()) return;
    movingByHand_ = true;
    grabOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
  });
}

void SheetWindow::mouseMoveEvent(QMouseEvent* event) {
  guard([&] {
    if (movingByHand_ && event->buttons() != Qt::NoButton)
      move(event->globalPosition().toPoint() - grabOffset_);
  });
}

void SheetWindow::mouseReleaseEvent(QMouseEvent* event) {
  guard([&] {
    if (event->buttons() == Qt::NoButton) movingByHand_ = false;
  });
}

void SheetWindow::restoreFixedSize() {
  if (windowState() & Qt::WindowMinimized) return;
  if (size() != fixedClientSize()) resize(fixedClientSize());
}

void SheetWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  guard([&] { restoreFixedSize(); });
}

void SheetWindow::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::WindowStateChange) guard([&] { restoreFixedSize(); });
}

void SheetWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  guard([&] { restoreFixedSize(); });
}

}  // namespace quenby::shell
