#pragma once
// A spreadsheet host and bill viewer for the window tests: they record what an export click
// does (instances, worksheet, cells, saves, the bill shown) and fail opening the bill on demand.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "export/export_error.h"
#include "shell/window_export.h"
#include "support/utf.h"

namespace quenby::testing {

inline const std::string kBillPath = "/bills/账单明细.xls";

struct Recording {
  int instances = 0, saves = 0, shown = 0, failOpens = 0;
  std::map<std::pair<int, int>, std::string> cells;
  int cellWrites = 0;
  bool busyWhileWriting = false;
};

class RecordingHost final : public SpreadsheetHost {
 public:
  RecordingHost(Recording& r, std::u16string worksheet) : r_(r), worksheet_(std::move(worksheet)) {}
  void newInstance() override { ++r_.instances; }
  void openWorkbook(const std::string& path) override {
    EXPECT_EQ(path, kBillPath);
    if (r_.failOpens > 0) {
      --r_.failOpens;
      throw QuenbyError(ExportError::WorkbookMissing, "找不到账单工作簿：" + path);
    }
  }
  void selectWorksheet(const std::u16string& name) override { EXPECT_EQ(u8(name), u8(worksheet_)); }
  void setCellText(int row, int column, const std::u16string& text) override {
    r_.busyWhileWriting =
        QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
    r_.cells[{row, column}] = u8(text);
    ++r_.cellWrites;
  }
  void save() override { ++r_.saves; }
  void closeAllWorkbooks() override {}
  void quit() override {}
  void release() noexcept override {}

 private:
  Recording& r_;
  std::u16string worksheet_;
};

class RecordingViewer final : public BillViewer {
 public:
  explicit RecordingViewer(Recording& r) : r_(r) {}
  void show(const std::string&, const std::u16string&) override { ++r_.shown; }

 private:
  Recording& r_;
};

// Export services that record into `r` and expect the bill's worksheet `worksheet`.
inline ExportServices recordingServices(Recording& r, std::u16string worksheet) {
  return {kBillPath, [&r, worksheet] { return std::make_unique<RecordingHost>(r, worksheet); },
          [&r] { return std::make_unique<RecordingViewer>(r); }};
}

}  // namespace quenby::testing
