#include "ledger/ledger_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QStandardPaths>
#include <QTableView>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include "ledger/ledger_model.h"
#include "shell/error_guard.h"
#include "shell/question.h"
#include "store/ledger_csv.h"
#include "store/office.h"
#include "store/store_error.h"

namespace quenby::ledger {

namespace {

const QString kDateFormat = QStringLiteral("yyyy-MM-dd");
constexpr std::chrono::milliseconds kSearchPause{200};

QString chooseCsvFile(QWidget* parent) {
  QFileDialog dialog(parent, QStringLiteral("导出账单记录"),
                     QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
                     QStringLiteral("CSV 文件 (*.csv)"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(QStringLiteral("csv"));
  dialog.selectFile(QStringLiteral("账单记录.csv"));
  return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

// The state choice's entries in order. The first, the default, shows exported bills only: a load
// drafted and then exported is one load.
struct StateEntry {
  const char16_t* text;
  std::optional<store::RecordState> state;
};
constexpr StateEntry kStates[] = {{u"已导出", store::RecordState::Exported},
                                  {u"未导出", store::RecordState::Draft},
                                  {u"全部", std::nullopt}};

const QString kEveryOffice = QStringLiteral("全部");
bool openWithDesktop(const QString& path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); }

QString sumText(const store::Sum& sum) { return sum.units ? store::shownSum(sum) : QStringLiteral("0"); }

}  // namespace

LedgerWindow::LedgerWindow(const QString& storePath, Today today, QWidget* parent)
    : QWidget(parent, Qt::Window),
      ledger_(storePath),
      today_(std::move(today)),
      chooseCsv_(chooseCsvFile),
      openPath_(openWithDesktop) {
  setWindowTitle(QStringLiteral("账单记录"));
  model_ = new LedgerModel(
      ledger_, store::Filter{{}, {}, {}, kStates[0].state, {}},
      [this](const QuenbyError& e) { reportLater(e); }, this);
  buildControls();
  connectControls();
  resize(1120, 560);  // room for every column and a search field of its own width
}

LedgerWindow::~LedgerWindow() = default;

void LedgerWindow::buildControls() {
  search_ = new QLineEdit(this);
  search_->setPlaceholderText(QStringLiteral("买方、卖方、树种、检尺员等抬头中的文字"));
  search_->setClearButtonEnabled(true);
  auto* searchLabel = new QLabel(QStringLiteral("搜索(&S)："), this);
  searchLabel->setBuddy(search_);

  dated_ = new QCheckBox(QStringLiteral("日期(&D)："), this);
  from_ = new QDateEdit(today_(), this);
  to_ = new QDateEdit(today_(), this);
  for (QDateEdit* edit : {from_, to_}) {
    edit->setDisplayFormat(kDateFormat);
    edit->setCalendarPopup(true);
  }
  auto* todayButton = new QPushButton(QStringLiteral("今天(&T)"), this);
  auto* thisMonth = new QPushButton(QStringLiteral("本月(&M)"), this);
  auto* lastMonth = new QPushButton(QStringLiteral("上月(&L)"), this);
  connect(todayButton, &QPushButton::clicked, this, [this] { setPeriod(store::Period::Today); });
  connect(thisMonth, &QPushButton::clicked, this, [this] { setPeriod(store::Period::ThisMonth); });
  connect(lastMonth, &QPushButton::clicked, this, [this] { setPeriod(store::Period::LastMonth); });

  sortColumn_ = new QComboBox(this);
  for (int c = 0; c < store::kColumnCount; ++c)
    sortColumn_->addItem(store::columnTitle(static_cast<store::Column>(c)));
  auto* sortLabel = new QLabel(QStringLiteral("排序(&O)："), this);
  sortLabel->setBuddy(sortColumn_);
  sortDescending_ = new QPushButton(QStringLiteral("从大到小"), this);
  sortDescending_->setCheckable(true);
  sortDescending_->setChecked(true);

  state_ = new QComboBox(this);
  for (const StateEntry& entry : kStates) state_->addItem(QString::fromUtf16(entry.text));
  state_->setAccessibleName(QStringLiteral("账单状态"));
  state_->setAccessibleDescription(state_->accessibleName());  // Qt names a combo box by its entry
  auto* stateLabel = new QLabel(QStringLiteral("状态(&Z)："), this);
  stateLabel->setBuddy(state_);
  office_ = new QComboBox(this);
  office_->addItem(kEveryOffice);
  office_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  office_->setAccessibleName(QStringLiteral("办公室"));
  office_->setAccessibleDescription(office_->accessibleName());
  auto* officeLabel = new QLabel(QStringLiteral("办公室(&B)："), this);
  officeLabel->setBuddy(office_);

  table_ = new QTableView(this);
  table_->setModel(model_);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setTabKeyNavigation(false);
  table_->setWordWrap(false);
  table_->verticalHeader()->hide();
  table_->horizontalHeader()->setStretchLastSection(true);
  // Newest first. Enabling the sort reads the list for the first time.
  table_->horizontalHeader()->setSortIndicator(0, Qt::DescendingOrder);
  table_->setSortingEnabled(true);
  const int widths[store::kColumnCount] = {125, 70, 170, 170, 70, 60, 110, 100, 60, 90, 40};
  for (int c = 0; c < store::kColumnCount; ++c) table_->setColumnWidth(c, widths[c]);

  totals_ = new QLabel(this);
  totals_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  notice_ = new QLabel(this);
  notice_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  notice_->setWordWrap(true);
  notice_->hide();
  sync_ = new QLabel(this);
  sync_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  sync_->setWordWrap(true);
  sync_->hide();
  reopen_ = new QPushButton(QStringLiteral("重新打开(&R)"), this);
  delete_ = new QPushButton(QStringLiteral("删除(&X)…"), this);
  csv_ = new QPushButton(QStringLiteral("导出 CSV(&E)…"), this);
  openPdf_ = new QPushButton(QStringLiteral("打开 PDF"), this);
  openPdf_->setToolTip(QStringLiteral("Ctrl+O"));
  openFolder_ = new QPushButton(QStringLiteral("打开文件夹"), this);
  makePdf_ = new QPushButton(QStringLiteral("生成 PDF"), this);
  close_ = new QPushButton(QStringLiteral("关闭"), this);

  auto* filters = new QHBoxLayout;
  filters->addWidget(searchLabel);
  filters->addWidget(search_, 1);
  filters->addWidget(stateLabel);
  filters->addWidget(state_);
  filters->addWidget(officeLabel);
  filters->addWidget(office_);
  filters->addSpacing(12);
  for (QWidget* w : std::initializer_list<QWidget*>{dated_, from_, new QLabel(QStringLiteral("至"), this),
                                                    to_, todayButton, thisMonth, lastMonth})
    filters->addWidget(w);
  auto* sorting = new QHBoxLayout;
  sorting->addWidget(sortLabel);
  sorting->addWidget(sortColumn_);
  sorting->addWidget(sortDescending_);
  sorting->addStretch(1);
  auto* buttons = new QHBoxLayout;
  for (QPushButton* b : {reopen_, delete_, csv_, openPdf_, openFolder_, makePdf_}) buttons->addWidget(b);
  buttons->addStretch(1);
  buttons->addWidget(close_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(filters);
  layout->addLayout(sorting);
  layout->addWidget(table_, 1);
  layout->addWidget(totals_);
  layout->addWidget(notice_);
  layout->addWidget(sync_);
  layout->addLayout(buttons);
  QWidget* const chain[] = {table_,  search_,     state_,    office_,   dated_,      from_,
                            to_,     todayButton, thisMonth, lastMonth, sortColumn_, sortDescending_,
                            reopen_, delete_,     csv_,      openPdf_,  openFolder_, makePdf_,
                            close_};
  for (size_t i = 1; i < std::size(chain); ++i) setTabOrder(chain[i - 1], chain[i]);
}

void LedgerWindow::connectControls() {
  connect(model_, &LedgerModel::listRead, this, &LedgerWindow::listRead);
  searchPause_ = new QTimer(this);
  searchPause_->setSingleShot(true);
  searchPause_->setInterval(kSearchPause);
  connect(searchPause_, &QTimer::timeout, this, &LedgerWindow::applyFilter);
  connect(search_, &QLineEdit::textChanged, searchPause_, qOverload<>(&QTimer::start));
  connect(search_, &QLineEdit::returnPressed, this, &LedgerWindow::leaveSearch);
  search_->installEventFilter(this);
  connect(state_, &QComboBox::currentIndexChanged, this, &LedgerWindow::applyFilter);
  connect(office_, &QComboBox::currentIndexChanged, this, &LedgerWindow::applyFilter);
  connect(dated_, &QCheckBox::toggled, this, &LedgerWindow::applyFilter);
  for (QDateEdit* edit : {from_, to_})
    connect(edit, &QDateEdit::dateChanged, this, [this] {
      if (dated_->isChecked()) {
        applyFilter();
      } else {
        dated_->setChecked(true);  // which applies it
      }
    });
  connect(table_->horizontalHeader(), &QHeaderView::sortIndicatorChanged, this,
          [this](int column, Qt::SortOrder order) {
            const QSignalBlocker a(sortColumn_), b(sortDescending_);
            sortColumn_->setCurrentIndex(column);
            sortDescending_->setChecked(order == Qt::DescendingOrder);
            sortDescending_->setText(order == Qt::DescendingOrder ? QStringLiteral("从大到小")
                                                                  : QStringLiteral("从小到大"));
          });
  connect(sortColumn_, &QComboBox::currentIndexChanged, this,
          [this](int column) { sortBy(column, sortDescending_->isChecked()); });
  connect(sortDescending_, &QPushButton::toggled, this,
          [this](bool descending) { sortBy(sortColumn_->currentIndex(), descending); });
  connect(table_, &QTableView::activated, this, &LedgerWindow::reopenSelected);
  connect(reopen_, &QPushButton::clicked, this, &LedgerWindow::reopenSelected);
  connect(delete_, &QPushButton::clicked, this, &LedgerWindow::deleteSelected);
  connect(csv_, &QPushButton::clicked, this, &LedgerWindow::exportCsv);
  connect(openPdf_, &QPushButton::clicked, this, [this] { openPdf(false); });
  connect(openFolder_, &QPushButton::clicked, this, [this] { openPdf(true); });
  connect(makePdf_, &QPushButton::clicked, this, &LedgerWindow::makePdf);
  auto* openKey = new QShortcut(QKeySequence::Open, this);
  connect(openKey, &QShortcut::activated, this, [this] { openPdf(false); });
  connect(table_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          &LedgerWindow::updatePdfButtons);
  connect(close_, &QPushButton::clicked, this, &QWidget::close);
  auto* deleteKey = new QShortcut(QKeySequence::Delete, table_, nullptr, nullptr, Qt::WidgetShortcut);
  connect(deleteKey, &QShortcut::activated, this, &LedgerWindow::deleteSelected);
  auto* find = new QShortcut(QKeySequence::Find, this);
  connect(find, &QShortcut::activated, this, [this] {
    search_->setFocus(Qt::ShortcutFocusReason);
    search_->selectAll();
  });
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(escape, &QShortcut::activated, this, &QWidget::close);
}

void LedgerWindow::present() {
  refresh();
  show();
  raise();
  activateWindow();
  table_->setFocus(Qt::ActiveWindowFocusReason);
}

void LedgerWindow::refresh() {
  listOffices();
  model_->refresh();
}

void LedgerWindow::listOffices() {
  const QString chosen = office_->currentIndex() > 0 ? office_->currentText() : QString();
  QStringList names;
  try {
    for (const QString& name : ledger_.offices()) names << name;
  } catch (const QuenbyError&) {
    return;  // the list's own read tells why
  }
  if (!chosen.isEmpty() && !names.contains(chosen)) names << chosen;
  const QSignalBlocker quiet(office_);
  office_->clear();
  office_->addItem(kEveryOffice);
  office_->addItems(names);
  office_->setCurrentIndex(chosen.isEmpty() ? 0 : office_->findText(chosen));
}

void LedgerWindow::leaveSearch() {
  if (searchPause_->isActive()) applyFilter();
  table_->setFocus(Qt::ShortcutFocusReason);
}

void LedgerWindow::applyFilter() {
  searchPause_->stop();
  store::Filter filter{
      search_->text(),
      {},
      {},
      kStates[std::clamp(state_->currentIndex(), 0, static_cast<int>(std::size(kStates)) - 1)].state,
      office_->currentIndex() > 0 ? std::optional(office_->currentText()) : std::nullopt};
  if (dated_->isChecked()) {
    filter.from = from_->date();
    filter.to = to_->date();
  }
  model_->setFilter(filter);
}

void LedgerWindow::setPeriod(store::Period period) {
  const auto [first, last] = store::periodOf(period, today_());
  {
    const QSignalBlocker a(from_), b(to_), c(dated_);
    from_->setDate(first);
    to_->setDate(last);
    dated_->setChecked(true);
  }
  applyFilter();
}

void LedgerWindow::sortBy(int column, bool descending) {
  // The header's indicator asks the model to sort, and tells the sort box.
  table_->horizontalHeader()->setSortIndicator(column, descending ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void LedgerWindow::listRead() {
  const store::Totals& t = model_->totals();
  totals_->setText(totalsText());
  const bool any = t.rows > 0;
  reopen_->setEnabled(any);
  delete_->setEnabled(any);
  selectRow(0);
  updatePdfButtons();
}

void LedgerWindow::updatePdfButtons() {
  const int row = selectedRow();
  const bool has =
      row >= 0 && !model_->index(row, static_cast<int>(store::Column::Pdf)).data().toString().isEmpty();
  openPdf_->setEnabled(has);
  openFolder_->setEnabled(has);
  makePdf_->setEnabled(row >= 0 && !has);
}

void LedgerWindow::openPdf(bool folder) {
  const int row = selectedRow();
  const QString path = row < 0 ? QString() : model_->pdfPath(row);
  if (path.isEmpty() || !QFileInfo(path).isFile()) {
    if (row >= 0 && !folder) makePdf();
    return;
  }
  const QString target = folder ? QFileInfo(path).absolutePath() : path;
  shell::guarded(this, [&] {
    if (!openPath_(target))
      throw store::storeError(store::StoreError::PdfNotOpened, QDir::toNativeSeparators(target),
                              QStringLiteral("桌面没有可以打开它的程序"));
  });
}

void LedgerWindow::makePdf() {
  const int row = selectedRow();
  if (const qint64 id = row < 0 ? 0 : model_->recordId(row)) emit pdfRequested(id);
}

QString LedgerWindow::totalsText() const {
  const store::Totals& t = model_->totals();
  if (t.searchTooLong) return QStringLiteral("搜索的文字太长，无法查找。");
  if (t.rows == 0 && !model_->readFailed())
    return model_->lastId() == 0 ? QStringLiteral("还没有账单") : QStringLiteral("没有符合条件的账单");
  return QStringLiteral("共 %1 条记录　件数合计 %2　材积合计 %3 立方米　金额合计 %4 元")
      .arg(t.rows)
      .arg(sumText(t.pieces), sumText(t.volume), sumText(t.amount));
}

void LedgerWindow::setNotice(const QString& text) {
  notice_->setText(text);
  notice_->setVisible(!text.isEmpty());
}

QString LedgerWindow::noticeText() const { return notice_->text(); }

void LedgerWindow::setSyncStatus(const QString& text) {
  sync_->setText(text);
  sync_->setVisible(!text.isEmpty());
}

QString LedgerWindow::syncStatusText() const { return sync_->text(); }

void LedgerWindow::selectRow(int row) {
  if (model_->rowCount() == 0) return;
  row = std::clamp(row, 0, model_->rowCount() - 1);
  table_->setCurrentIndex(model_->index(row, 0));
  table_->selectRow(row);
}

int LedgerWindow::selectedRow() const {
  const QModelIndex current = table_->currentIndex();
  return current.isValid() && table_->selectionModel()->isRowSelected(current.row()) ? current.row() : -1;
}

void LedgerWindow::reopenSelected() {
  const int row = selectedRow();
  if (row < 0) return;
  if (const qint64 id = model_->recordId(row)) emit reopenRequested(id);
}

void LedgerWindow::deleteSelected() {
  const int row = selectedRow();
  const qint64 id = row < 0 ? 0 : model_->recordId(row);
  if (!id) return;
  auto cell = [&](store::Column c) { return model_->index(row, static_cast<int>(c)).data().toString(); };
  if (cell(store::Column::Office) != store::thisOffice()) {
    // Another office's record: the ledger refuses it and says whose it is, with nothing to ask.
    shell::guarded(this, [&] { ledger_.remove(id); });
    return;
  }
  const QString question =
      QStringLiteral("删除这条账单记录吗？删除后无法恢复。\n\n%1　%2　%3")
          .arg(cell(store::Column::At), cell(store::Column::Worksheet), cell(store::Column::Buyer));
  if (shell::ask(this, question, QStringLiteral("删除"), QStringLiteral("保留"), shell::Answer::Refrain) !=
      shell::Answer::Act)
    return;
  shell::guarded(this, [&] {
    ledger_.remove(id);
    model_->refresh();
    selectRow(row);
  });
}

void LedgerWindow::exportCsv() {
  const QString path = chooseCsv_(this);
  if (path.isEmpty()) return;
  shell::guarded(
      this, [&] { store::writeCsv(ledger_, model_->filter(), model_->sortOrder(), model_->lastId(), path); });
}

void LedgerWindow::reportLater(const QuenbyError& error) {
  if (reportPending_) return;
  reportPending_ = true;
  QTimer::singleShot(0, this, [this, error] {
    shell::reportError(this, error.number(), error.description());
    reportPending_ = false;
  });
}

bool LedgerWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched != search_ || (event->type() != QEvent::KeyPress && event->type() != QEvent::ShortcutOverride))
    return QWidget::eventFilter(watched, event);
  const int key = static_cast<QKeyEvent*>(event)->key();
  if (key == Qt::Key_Escape && !search_->text().isEmpty()) {
    // Escape empties the search first, ahead of the window's Escape, which closes.
    if (event->type() == QEvent::KeyPress) {
      search_->clear();
      applyFilter();
    }
    event->accept();
    return true;
  }
  if (key == Qt::Key_Down && event->type() == QEvent::KeyPress) {
    leaveSearch();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void LedgerWindow::closeEvent(QCloseEvent* event) {
  event->accept();
  emit closed();
}

}  // namespace quenby::ledger
