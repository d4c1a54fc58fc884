#pragma once
// A spreadsheet host and bill viewer that only record what an export asks of them, for the window
// tests of the export buttons. Opening the bill can be made to fail a number of times, and one
// cell write once. The host's calls come on the export's own thread; what a test does inside the
// first cell write or the save runs on the user-interface thread meanwhile, while the export waits.

#include <QApplication>
#include <QCursor>
#include <QThread>
#include <exception>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "calc/error.h"
#include "export/export_error.h"
#include "export/spreadsheet_host.h"
#include "shell/window_export.h"
#include "support/utf.h"

namespace quenby::testing {

struct Recording {
  int instances = 0, saves = 0, shown = 0, failOpens = 0;
  int heldOpens = 0;  // openings that find the bill held by another program
  int failShows = 0;  // showings of the saved bill that the desktop refuses
  int failWrite = 0;  // the cell write that fails, once, counted over all attempts from 1; 0: none
  std::vector<std::string> paths;                    // every workbook opened
  std::vector<std::u16string> worksheets;            // every worksheet taken
  std::vector<std::string> writes;                   // "B3" … in the order written, over all attempts
  std::map<std::pair<int, int>, std::string> cells;  // (row, column) -> last text written
  bool busyWhileWriting = false;
  std::function<void()> duringFirstWrite;  // run once, inside the first cell write
  std::function<void()> duringSave;        // run once, inside the save
  int interrupts = 0;
  std::string pdfText;              // what the host writes as a sheet's PDF; empty: it cannot write one
  std::function<void()> duringPdf;  // run once, inside the PDF's writing
};

// Runs `fn` on the user-interface thread and waits for it; what it raises is raised here.
inline void onUiThread(const std::function<void()>& fn) {
  if (QThread::currentThread() == qApp->thread()) return fn();
  std::exception_ptr error;
  QMetaObject::invokeMethod(
      qApp,
      [&] {
        try {
          fn();
        } catch (...) {
          error = std::current_exception();
        }
      },
      Qt::BlockingQueuedConnection);
  if (error) std::rethrow_exception(error);
}

inline std::string cellName(int row, int column) {
  return std::string(1, static_cast<char>('A' + column - 1)) + std::to_string(row);
}

class RecordingHost final : public SpreadsheetHost {
 public:
  explicit RecordingHost(Recording& r) : r_(r) {}
  void newInstance() override { ++r_.instances; }
  void openWorkbook(const std::string& path) override {
    r_.paths.push_back(path);
    if (r_.failOpens > 0) {
      --r_.failOpens;
      throw QuenbyError(ExportError::WorkbookMissing, "找不到账单工作簿：" + path);
    }
    if (r_.heldOpens > 0) {
      --r_.heldOpens;
      throw QuenbyError(ExportError::WorkbookNotSaved, "账单工作簿 " + path + " 正被其他程序打开");
    }
  }
  void selectWorksheet(const std::u16string& name) override { r_.worksheets.push_back(name); }
  void setCellText(int row, int column, const std::u16string& text) override {
    onUiThread([&] {
      r_.busyWhileWriting =
          QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
    });
    if (auto during = std::exchange(r_.duringFirstWrite, nullptr)) onUiThread(during);
    if (r_.failWrite > 0 && r_.writes.size() + 1 == static_cast<size_t>(r_.failWrite)) {
      r_.failWrite = 0;
      throw QuenbyError(ExportError::SpreadsheetFailed, "写入单元格 " + cellName(row, column) + " 失败");
    }
    r_.writes.push_back(cellName(row, column));
    r_.cells[{row, column}] = u8(text);
  }
  void save() override {
    if (auto during = std::exchange(r_.duringSave, nullptr)) onUiThread(during);
    ++r_.saves;
  }
  void exportSheetPdf(const std::string& path) override {
    if (auto during = std::exchange(r_.duringPdf, nullptr)) onUiThread(during);
    if (r_.pdfText.empty()) return SpreadsheetHost::exportSheetPdf(path);
    std::ofstream(path) << r_.pdfText;
  }
  void closeAllWorkbooks() override {}
  void quit() override {}
  void release() noexcept override {}
  void interrupt() noexcept override { ++r_.interrupts; }

 private:
  Recording& r_;
};

class RecordingViewer final : public BillViewer {
 public:
  explicit RecordingViewer(Recording& r) : r_(r) {}
  void show(const std::string& path, const std::u16string&) override {
    if (r_.failShows > 0) {
      --r_.failShows;
      throw QuenbyError(ExportError::BillNotShown, "账单已保存到 " + path + "，但没有显示");
    }
    ++r_.shown;
  }

 private:
  Recording& r_;
};

// Export services that record into `r`, with the bill at `path`.
inline ExportServices recordingServices(Recording& r, std::string path = "/bills/账单明细.xls") {
  return {std::move(path), [&r] { return std::make_unique<RecordingHost>(r); },
          [&r] { return std::make_unique<RecordingViewer>(r); }};
}

}  // namespace quenby::testing
