#pragma once
// LedgerWindow (账单记录): the list of the bills kept in the store, a standard Qt window that
// follows the desktop's look. A search field, the state (已导出 by default, 未导出 or 全部), the
// office (全部 by default, or one of the yard's offices whose records are here) and a range of days
// filter the list, the header or the sort box sorts it, the line under it sums the
// rows shown, or says why there are none; a record can be reopened in its sheet (the application
// does that on reopenRequested), deleted after a question, and the rows shown written to a CSV
// file. Every action has a key: the list holds the focus with its newest row selected, Enter
// reopens, Delete deletes, Ctrl+F goes to the search, Escape in a search field that holds text
// empties it, and Escape anywhere else closes. A record's PDF (the column PDF says whether it has
// one) opens with the desktop by Ctrl+O or 打开 PDF, its folder by 打开文件夹; 生成 PDF asks the
// application for the PDF of a record that has none (pdfRequested).
//
// The window reads through a Ledger of its own; a store that cannot be read is told in the
// numbered error box and the list stays empty. A record of another office is not deleted here: the
// window says so without asking. A status line under the list tells how the yard's shared ledger
// stands (never a box). Closing only hides the window.

#include <QDate>
#include <QWidget>
#include <functional>
#include <memory>

#include "calc/error.h"
#include "store/ledger.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QTimer;

namespace quenby::ledger {

class LedgerModel;

class LedgerWindow : public QWidget {
  Q_OBJECT

 public:
  using Today = std::function<QDate()>;
  using ChooseFile = std::function<QString(QWidget* parent)>;  // "" when the user cancels

  // The ledger of the store at `storePath`; `today` tells the date for the period buttons.
  explicit LedgerWindow(const QString& storePath, Today today = &QDate::currentDate,
                        QWidget* parent = nullptr);
  ~LedgerWindow() override;

  // Reads the list anew (records made since, here, by another Quenby or fetched from the yard), with
  // its first row selected, and the offices offered; the filter and the sort stay.
  void refresh();
  // Reads the list anew and shows the window in front, the list holding the focus.
  void present();
  // A line under the list, under the totals, about what the list lacks (exports that could not
  // be recorded); none when `text` is empty.
  void setNotice(const QString& text);
  QString noticeText() const;
  // The line about the yard's shared ledger ("已同步 12:30", or what waits to be sent and why); none
  // when `text` is empty.
  void setSyncStatus(const QString& text);
  QString syncStatusText() const;
  // Where the CSV file goes; by default a save dialog.
  void setCsvFileChooser(ChooseFile choose) { chooseCsv_ = std::move(choose); }
  // Hands a file or folder to the desktop; false when it refused. By default QDesktopServices.
  using OpenPath = std::function<bool(const QString& path)>;
  void setPathOpener(OpenPath open) { openPath_ = std::move(open); }

  const LedgerModel& model() const { return *model_; }
  const store::Ledger& ledger() const { return ledger_; }
  QString totalsText() const;

 signals:
  void reopenRequested(qint64 recordId);
  // 生成 PDF on a record without its PDF.
  void pdfRequested(qint64 recordId);
  // The user closed the window (it is hidden).
  void closed();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildControls();
  void connectControls();
  void applyFilter();
  // Offers 全部 and every office whose records are here, keeping the office chosen.
  void listOffices();
  // Leaves the search field for the list, reading a search still waiting for its pause first.
  void leaveSearch();
  void setPeriod(store::Period period);
  void sortBy(int column, bool descending);
  void reopenSelected();
  void deleteSelected();
  void exportCsv();
  // The selected record's PDF, or its folder; 生成 PDF when it has none.
  void openPdf(bool folder);
  void makePdf();
  void updatePdfButtons();
  void listRead();
  void selectRow(int row);
  int selectedRow() const;
  // Shows `error` in the numbered box once the event loop runs (a view may ask for rows while it
  // paints, when no box may open).
  void reportLater(const QuenbyError& error);

  store::Ledger ledger_;
  Today today_;
  ChooseFile chooseCsv_;
  OpenPath openPath_;
  LedgerModel* model_ = nullptr;
  QLineEdit* search_ = nullptr;
  QComboBox* state_ = nullptr;   // 已导出, 未导出, 全部
  QComboBox* office_ = nullptr;  // 全部, then each office by name
  // The search is read from the store once typing pauses, not at every key (each read counts and
  // sums every matching record); Enter and Down read it at once.
  QTimer* searchPause_ = nullptr;
  QCheckBox* dated_ = nullptr;
  QDateEdit* from_ = nullptr;
  QDateEdit* to_ = nullptr;
  QComboBox* sortColumn_ = nullptr;
  QPushButton* sortDescending_ = nullptr;
  QTableView* table_ = nullptr;
  QLabel* totals_ = nullptr;
  QLabel* notice_ = nullptr;
  QLabel* sync_ = nullptr;
  QPushButton* reopen_ = nullptr;
  QPushButton* delete_ = nullptr;
  QPushButton* csv_ = nullptr;
  QPushButton* openPdf_ = nullptr;
  QPushButton* openFolder_ = nullptr;
  QPushButton* makePdf_ = nullptr;
  QPushButton* close_ = nullptr;
  bool reportPending_ = false;
};

}  // namespace quenby::ledger
