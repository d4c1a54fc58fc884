#include "shell/sheet_window.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QWindow>
#include <algorithm>

#include "shell/appearance.h"
#include "shell/field_binding.h"
#include "shell/picture_button.h"
#include "shell/qt_text.h"
#include "shell/twips.h"

// The pictures the build drew for the windows, in this library.
static void registerBuiltPictures() {
  Q_INIT_RESOURCE(window_pictures_1);
  Q_INIT_RESOURCE(window_pictures_2);
}

namespace quenby::shell {

namespace {

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
  widget->setFont(controlFont(c, widget->font()));
}

void applyColours(QWidget* widget, const layout::Control& c) {
  if (!c.red && c.kind != layout::Kind::PlainButton) return;
  QPalette palette = widget->palette();
  if (c.red) {
    palette.setColor(QPalette::Text, QColor(255, 0, 0));
    palette.setColor(QPalette::WindowText, QColor(255, 0, 0));
  }
  if (c.kind == layout::Kind::PlainButton) palette.setColor(QPalette::Button, faceColour(c.face));
  widget->setPalette(palette);
}

}  // namespace

SheetWindow::SheetWindow(const layout::Window& table, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowMinimizeButtonHint), table_(table) {
  static const bool registered = (registerBuiltPictures(), true);
  Q_UNUSED(registered);
  setWindowTitle(qt(table.caption));  // the icon is the application's
  setFont(sheetFont());
  setPalette(sheetPalette());
  if (table.size == layout::SizePolicy::KeepFixed) {
    setFixedSize(fixedClientSize());
  } else {
    resize(fixedClientSize());
  }
  // Labels lie lowest, so that a field sharing their rectangle stays readable; the rest stack in
  // table order.
  for (const layout::Control& c : table.controls) {
    if (c.kind == layout::Kind::Label) controls_[{c.id.name, c.id.index}] = createWidget(c);
  }
  for (const layout::Control& c : table.controls) {
    if (c.kind != layout::Kind::Label) controls_[{c.id.name, c.id.index}] = createWidget(c);
  }
  chainFocus();
  setUpEntryArrays();
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
    case layout::Kind::PictureButton: {
      auto* button = new PictureButton(qt(c.caption), c.face, this);
      button->usePictures(table_.name, c.id);
      widget = button;
      break;
    }
    case layout::Kind::PlainButton:
      widget = new QPushButton(qt(c.caption), this);
      break;
  }
  widget->setObjectName(QString::fromStdString(toString(c.id)));
  widget->setAccessibleName(QString::fromStdString(c.accessibleName));
  // Qt on Linux names a combo box after the entry it shows: the role goes to its description too.
  if (c.kind == layout::Kind::ComboBox) widget->setAccessibleDescription(widget->accessibleName());
  applyFont(widget, c);
  applyColours(widget, c);
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

void SheetWindow::listCalculators(const QStringList& calculators) {
  for (const layout::Control& c : table_.controls) {
    if (c.action != layout::Action::SwitchCalculator) continue;
    if (auto* selector = control<QComboBox>(c.id)) selector->addItems(calculators);
  }
}

void SheetWindow::attach(Sheet& sheet, const SheetExport& exportSpec, ExportServices services) {
  sheet_ = &sheet;
  exportSpec_ = &exportSpec;
  services_ = std::move(services);
  for (const NamedField& named : sheet.fields()) {
    QWidget* widget = control(named.id);
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
      bindLineEdit(edit, *named.field, this);
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
      bindComboBox(combo, *named.field, this);
    }
  }
  for (const layout::Control& c : table_.controls) wire(c);
}

void SheetWindow::refreshFromSheet() {
  if (!sheet_) return;
  for (const NamedField& named : sheet_->fields()) {
    QWidget* widget = control(named.id);
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
      showField(edit, *named.field);
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
      showField(combo, *named.field);
    }
  }
}

void SheetWindow::wire(const layout::Control& c) {
  switch (c.action) {
    case layout::Action::None:
      break;
    case layout::Action::Calculate:
      onClick(c.id, [this] { sheet_->calculate(); });
      break;
    case layout::Action::Clear:
      onClick(c.id, [this] { sheet_->clear(); });
      break;
    case layout::Action::Export:
      onClick(c.id, [this] {
        exportOnClick(this, exportJob(*exportSpec_, *sheet_, services_.workbookPath), exportCount_,
                      services_);
      });
      break;
    case layout::Action::Minimise:
      onClick(c.id, [this] { showMinimized(); });
      break;
    case layout::Action::Quit:
      onClick(c.id, [this] { emit quitRequested(); });
      break;
    case layout::Action::Back:
      onClick(c.id, [this] { emit backRequested(); });
      break;
    case layout::Action::WebPage:
      onClick(c.id, [this] { emit webPageRequested(); });
      break;
    case layout::Action::SwitchCalculator:
      if (auto* selector = control<QComboBox>(c.id)) {
        // A choice from the list, also of the entry already showing.
        connect(selector, &QComboBox::textActivated, this,
                [this](const QString& entry) { guard([&] { emit calculatorChosen(entry); }); });
      }
      break;
  }
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

void SheetWindow::setUpEntryArrays() {
  for (std::string_view array : table_.entryArrays) {
    const int count =
        static_cast<int>(std::count_if(table_.controls.begin(), table_.controls.end(),
                                       [&](const layout::Control& c) { return c.id.name == array; }));
    for (int index = 0; index < count; ++index) {
      if (auto* cell = control<QLineEdit>({array, index})) {
        entryCells_.insert(cell, {array, index, count});
        cell->installEventFilter(this);
      }
    }
  }
}

bool SheetWindow::eventFilter(QObject* watched, QEvent* event) {
  auto found = entryCells_.constFind(watched);
  if (found == entryCells_.constEnd()) return QWidget::eventFilter(watched, event);
  auto* cell = static_cast<QLineEdit*>(watched);
  bool consumed = false;
  guard([&] {
    switch (event->type()) {
      case QEvent::FocusIn:
        cell->selectAll();
        // A click focuses the cell before the line edit places the caret under the mouse, which
        // would undo the selection: select once more after that press.
        if (static_cast<QFocusEvent*>(event)->reason() == Qt::MouseFocusReason) selectAfterPress_ = cell;
        break;
      case QEvent::FocusOut:
        if (selectAfterPress_ == cell) selectAfterPress_ = nullptr;
        break;
      case QEvent::MouseButtonPress:
        if (selectAfterPress_ == cell) {
          selectAfterPress_ = nullptr;
          static_cast<QObject*>(cell)->event(event);
          cell->selectAll();
          consumed = true;
        }
        break;
      case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Down) moveWithinArray(*found, +1);
        if (key == Qt::Key_Up) moveWithinArray(*found, -1);
        break;  // the key goes on to the line edit, which ignores it
      }
      default:
        break;
    }
  });
  return consumed;
}

void SheetWindow::moveWithinArray(const EntryCell& from, int step) {
  const int index = (from.index + step + from.count) % from.count;
  if (QWidget* target = control({from.array, index})) target->setFocus(Qt::OtherFocusReason);
}

void SheetWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  paintBackdrop(painter, table_, width(), height());
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
  if (table_.size != layout::SizePolicy::KeepFixed) return;
  if (windowState() & Qt::WindowMinimized) return;
  if (size() != fixedClientSize()) resize(fixedClientSize());
}

void SheetWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  guard([&] { restoreFixedSize(); });
}

// Qt also sends a show event when a minimised window comes back, which is when a window system
// that resized the minimised window leaves the size wrong.
void SheetWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  guard([&] { restoreFixedSize(); });
}

void SheetWindow::closeEvent(QCloseEvent* event) {
  event->accept();
  guard([&] {
    if (table_.onClose == layout::CloseAction::Back) {
      emit backRequested();
    } else {
      emit quitRequested();
    }
  });
}

}  // namespace quenby::shell
