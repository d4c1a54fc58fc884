#include "office/libreoffice_host.h"

#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <string_view>
#include <vector>

#include <com/sun/star/awt/PosSize.hpp>
#include <com/sun/star/awt/XWindow.hpp>
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/document/MacroExecMode.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/frame/XLayoutManager.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/io/IOException.hpp>
#include <com/sun/star/lang/IllegalArgumentException.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XSpreadsheetView.hpp>
#include <com/sun/star/util/XCloseable.hpp>

#include "office/bill_file_check.h"
#include "office/bill_lock.h"
#include "office/cell_writes.h"
#include "office/file_url.h"
#include "office/office_interrupt.h"
#include "office/office_names.h"
#include "office/office_process.h"
#include "office/office_reserve.h"
#include "office/termination.h"

namespace quenby {

namespace fs = std::filesystem;
using css::uno::Reference;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;

struct LibreOfficeHost::Document {
  std::string path;  // absolute, UTF-8
  fs::path lockFile;
  std::chrono::milliseconds loadAndSaveTimeout{0};
  Reference<css::lang::XComponent> component;
  Reference<css::sheet::XSpreadsheet> sheet;
  CellRuns runs;  // written to `sheet`, not yet handed to the office
};

namespace {

// Time for opening or saving a workbook of `bytes`.
std::chrono::milliseconds loadAndSaveTimeout(const OfficeOptions& options, std::uintmax_t bytes) {
  const auto megabytes = static_cast<long long>((bytes + (1u << 20) - 1) >> 20);
  return options.callTimeout + options.timeoutPerMegabyte * megabytes;
}

// The temporary files the office writes a save into beside the bill ("lu<pid>...tmp"), renamed
// over the bill when the save completes.
std::set<fs::path> saveTemporaries(const fs::path& dir, pid_t office) {
  std::set<fs::path> found;
  if (office == 0) return found;
  const std::string prefix = kSaveCopyPrefix + std::to_string(office);
  const std::string_view suffix = kSaveCopySuffix;
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.rfind(prefix, 0) == 0 && name.size() > suffix.size() &&
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
      found.insert(it->path());
  }
  return found;
}

// The first bytes of the workbook formats the office reads: an Excel 97 workbook is an OLE2
// compound file, Office Open XML and OpenDocument workbooks are ZIP archives. An empty file or a
// text file is none of them (the office would make an empty sheet or a text import of it).
bool startsLikeAWorkbook(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  char head[8] = {};
  in.read(head, sizeof head);
  const std::string_view bytes(head, static_cast<size_t>(in.gcount()));
  return bytes == std::string_view("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) ||
         bytes.substr(0, 4) == std::string_view("PK\x03\x04", 4);
}

enum class Opened { Workbook, NotAWorkbook, ReadOnly };

// A damaged workbook with a proper first block still opens, through the office's text import.
bool openedAsWorkbook(const Reference<css::lang::XComponent>& component) {
  Reference<css::frame::XModel> model(component, UNO_QUERY);
  if (!model.is() || !Reference<css::sheet::XSpreadsheetDocument>(component, UNO_QUERY).is()) return false;
  for (const css::beans::PropertyValue& p : model->getArgs())
    if (p.Name == "FilterName") return !p.Value.get<OUString>().startsWith("Text");
  return true;
}

// The bill is held by another program: who holds it, as its lock file says.
QuenbyError heldElsewhere(const fs::path& workbook, const std::string& shown) {
  std::string who = "正被其他程序打开";
  if (std::optional<BillHolder> holder = readBillHolder(lockFileOf(workbook))) who = describeHolder(*holder);
  return QuenbyError(
      ExportError::WorkbookNotSaved,
      "账单工作簿 " + shown + " " + who + "，现在无法写入。请先关闭打开它的程序或窗口，再重新导出");
}

css::beans::PropertyValue property(const char* name, const css::uno::Any& value) {
  css::beans::PropertyValue p;
  p.Name = OUString::createFromAscii(name);
  p.Value = value;
  return p;
}

}  // namespace

LibreOfficeHost::LibreOfficeHost() : LibreOfficeHost(OfficeOptions{}) {}
LibreOfficeHost::LibreOfficeHost(OfficeOptions options)
    : interrupt_(std::make_shared<OfficeInterrupt>()), options_(std::move(options)) {}
LibreOfficeHost::LibreOfficeHost(std::shared_ptr<OfficeReserve> reserve)
    : LibreOfficeHost(reserve->options()) {
  reserve_ = std::move(reserve);
}
LibreOfficeHost::~LibreOfficeHost() { release(); }

pid_t LibreOfficeHost::officeProcessId() const noexcept { return office_ ? office_->pid() : 0; }

std::string LibreOfficeHost::profileDirectory() const {
  return office_ ? office_->profileDirectory() : std::string();
}

void LibreOfficeHost::newInstance() {
  release();
  if (interrupt_->requested()) throw exportCancelled();
  if (reserve_) office_ = reserve_->take(interrupt_);
  if (!office_) office_ = std::make_unique<OfficeProcess>(options_, interrupt_);
}

void LibreOfficeHost::interrupt() noexcept { interrupt_->interrupt(); }

void LibreOfficeHost::officeEnded() noexcept {
  try {
    if (reserve_) reserve_->refill();
  } catch (...) {
  }
}

void LibreOfficeHost::openWorkbook(const std::string& pathUtf8) {
  if (!office_) throw QuenbyError(ExportError::SpreadsheetFailed, "电子表格程序没有启动，无法打开账单工作簿");
  std::error_code ec;
  fs::path path = fs::absolute(pathFromUtf8(pathUtf8), ec);
  const std::string shown = pathUtf8;
  auto missing = [&] {
    return QuenbyError(ExportError::WorkbookMissing, "找不到账单工作簿：" + shown + "。请确认该文件存在");
  };
  auto unreadable = [&] {
    return QuenbyError(ExportError::WorkbookUnreadable,
                       "账单文件 " + shown +
                           " 不是可以读取的电子表格工作簿（文件是空的、是文本文件或已经损坏）。请用完好的账单"
                           "工作簿替换它，再重新导出");
  };
  // An office that cannot write its lock file beside the bill does not load it either.
  auto notLoaded = [&] { return billFailureCause(path, shown, BillStep::Open).value_or(unreadable()); };
  if (ec || !fs::is_regular_file(path, ec)) throw missing();
  if (!startsLikeAWorkbook(path)) throw unreadable();

  if (document_) closeAllWorkbooks();
  auto doc = std::make_unique<Document>();
  doc->path = utf8FromPath(path);
  doc->lockFile = lockFileOf(path);
  removeStaleLockOfOurs(doc->lockFile);
  // Said before anything is written: the office would open it read-only and refuse the cells.
  if (lockedByOtherProgram(path, doc->lockFile)) throw heldElsewhere(path, shown);
  const std::uintmax_t size = fs::file_size(path, ec);
  doc->loadAndSaveTimeout = loadAndSaveTimeout(options_, ec ? 0 : size);
  office_->noteWorkbook(doc->path);

  Reference<css::lang::XComponent> component;
  try {
    component = office_->call("打开账单工作簿 " + shown, doc->loadAndSaveTimeout, [&] {
      css::uno::Sequence<css::beans::PropertyValue> args(2);
      args.getArray()[0] = property("Hidden", css::uno::Any(true));
      args.getArray()[1] =
          property("MacroExecutionMode", css::uno::Any(css::document::MacroExecMode::NEVER_EXECUTE));
      try {
        return office_->desktop()->loadComponentFromURL(fileUrl(doc->path), "_blank", 0, args);
      } catch (const css::lang::IllegalArgumentException&) {
        throw notLoaded();  // no filter of the office knows the file
      }
    });
  } catch (const QuenbyError&) {
    if (!fs::is_regular_file(path, ec)) throw missing();
    throw;
  }
  if (!component.is()) {
    if (!fs::is_regular_file(path, ec)) throw missing();
    throw notLoaded();
  }
  doc->component = component;
  noteLockIfOurs(doc->lockFile, office_->profileDirectory());
  document_ = std::move(doc);
  const Opened opened = office_->call("检查账单工作簿 " + shown, options_.callTimeout, [&] {
    if (!openedAsWorkbook(component)) return Opened::NotAWorkbook;
    const bool readOnly = Reference<css::frame::XStorable>(component, UNO_QUERY_THROW)->isReadonly();
    return readOnly ? Opened::ReadOnly : Opened::Workbook;
  });
  if (opened == Opened::Workbook) return;
  closeAllWorkbooks();
  if (opened == Opened::NotAWorkbook) throw unreadable();
  // A bill the office could only open read-only takes no cell: a file that may not be written, or
  // one another program took while the office opened it.
  if (!lockedByOtherProgram(path, lockFileOf(path)))
    if (std::optional<QuenbyError> cause = billFailureCause(path, shown, BillStep::Save)) throw *cause;
  throw heldElsewhere(path, shown);
}

void LibreOfficeHost::selectWorksheet(const std::u16string& name) {
  if (!document_) throw QuenbyError(ExportError::SpreadsheetFailed, "没有打开账单工作簿，无法选择工作表");
  // Into the sheet they were written to.
  if (std::optional<CellRuns::Run> last = document_->runs.take()) writeRun(*last, options_.callTimeout);
  const std::string shownName = utf8FromOUString(toOUString(name));
  // Showing the view below lays the workbook out: as much time as opening it.
  document_->sheet = office_->call("选择工作表“" + shownName + "”", document_->loadAndSaveTimeout, [&] {
    Reference<css::sheet::XSpreadsheetDocument> spreadsheet(document_->component, UNO_QUERY_THROW);
    Reference<css::container::XNameAccess> sheets(spreadsheet->getSheets(), UNO_QUERY_THROW);
    const OUString sheetName = toOUString(name);
    if (!sheets->hasByName(sheetName))
      throw QuenbyError(ExportError::WorksheetMissing,
                        "账单工作簿 " + document_->path + " 中没有名为“" + shownName + "”的工作表");
    Reference<css::sheet::XSpreadsheet> sheet(sheets->getByName(sheetName), UNO_QUERY_THROW);
    // The saved bill opens on the sheet just written. The Excel export takes the displayed sheet
    // from a view that has been shown, never from a hidden one; in the headless office showing
    // the view draws nothing. Shown first, because showing applies the view settings read from
    // the file, the displayed sheet among them; without toolbars and one pixel large, because
    // laying out and painting a full view would add a tenth of a second to every export.
    Reference<css::frame::XController> controller =
        Reference<css::frame::XModel>(document_->component, UNO_QUERY_THROW)->getCurrentController();
    Reference<css::frame::XFrame> frame = controller->getFrame();
    Reference<css::frame::XLayoutManager> layout(
        Reference<css::beans::XPropertySet>(frame, UNO_QUERY_THROW)->getPropertyValue("LayoutManager"),
        UNO_QUERY);
    if (layout.is()) {
      layout->setVisible(false);
      layout->lock();
    }
    Reference<css::awt::XWindow> window = frame->getContainerWindow();
    window->setPosSize(0, 0, 1, 1, css::awt::PosSize::POSSIZE);
    window->setVisible(true);
    Reference<css::sheet::XSpreadsheetView>(controller, UNO_QUERY_THROW)->setActiveSheet(sheet);
    return sheet;
  });
}

void LibreOfficeHost::setCellText(int row, int column, const std::u16string& text) {
  if (!document_ || !document_->sheet.is())
    throw QuenbyError(ExportError::SpreadsheetFailed, "没有选择工作表，无法写入单元格");
  if (row < 1 || column < 1)
    throw QuenbyError(ExportError::SpreadsheetFailed,
                      "单元格位置无效（行 " + std::to_string(row) + "，列 " + std::to_string(column) + "）");
  if (std::optional<CellRuns::Run> ended = document_->runs.add(row, column, text))
    writeRun(*ended, options_.callTimeout);
}

void LibreOfficeHost::writeRun(const CellRuns::Run& run, std::chrono::milliseconds timeout) {
  office_->call("写入单元格 " + cellsName(run), timeout, [&] { writeCells(document_->sheet, run); });
}

void LibreOfficeHost::save() {
  if (!document_) throw QuenbyError(ExportError::SpreadsheetFailed, "没有打开账单工作簿，无法保存");
  // The last cells are handed over as part of the save.
  if (std::optional<CellRuns::Run> last = document_->runs.take())
    writeRun(*last, document_->loadAndSaveTimeout);
  const std::string& path = document_->path;
  const fs::path bill = pathFromUtf8(path);
  // The office would store over a read-only bill where the file system lets it (as for root).
  if (isReadOnlyFile(bill))
    if (std::optional<QuenbyError> cause = billFailureCause(bill, path, BillStep::Save)) throw *cause;
  const fs::path dir = bill.parent_path();
  const std::set<fs::path> temporariesBefore = saveTemporaries(dir, office_->officePid());
  office_->beginSave(document_->loadAndSaveTimeout, path);
  try {
    office_->call("保存账单工作簿", document_->loadAndSaveTimeout, [&] {
      Reference<css::frame::XStorable> storable(document_->component, UNO_QUERY_THROW);
      try {
        if (storable->isReadonly()) throw css::io::IOException("read-only");
        storable->store();
      } catch (const css::io::IOException&) {
        throw QuenbyError(
            ExportError::WorkbookNotSaved,
            "无法保存账单工作簿 " + path +
                "：文件是只读的，或正被其他程序打开。请关闭打开它的程序并检查文件属性，再重新导出");
      }
    });
  } catch (const QuenbyError& e) {
    office_->endSave();
    // An office ended in the middle of a save leaves its unfinished copy beside the bill.
    office_->kill();
    std::error_code ec;
    for (const fs::path& file : saveTemporaries(dir, office_->officePid()))
      if (!temporariesBefore.count(file)) fs::remove(file, ec);
    // Asked once the unfinished copy is gone, so that the room it took counts as free.
    if (e.is(ExportError::WorkbookNotSaved))
      if (std::optional<QuenbyError> cause = billFailureCause(bill, path, BillStep::Save)) throw *cause;
    throw;
  }
  office_->endSave();
}

void LibreOfficeHost::exportSheetPdf(const std::string& pathUtf8) {
  if (!document_ || !document_->sheet.is())
    throw QuenbyError(ExportError::SpreadsheetFailed, "没有选择工作表，无法生成 PDF");
  if (std::optional<CellRuns::Run> last = document_->runs.take()) writeRun(*last, options_.callTimeout);
  std::error_code ec;
  const std::string target = utf8FromPath(fs::absolute(pathFromUtf8(pathUtf8), ec));
  // The office's lock beside the file it writes, which a failed write leaves: the file is a
  // temporary one of ours, and so is its lock.
  struct RemoveLock {
    fs::path lock;
    ~RemoveLock() {
      std::error_code ec;
      fs::remove(lock, ec);
    }
  } removeLock{lockFileOf(pathFromUtf8(target))};
  office_->call("生成 PDF " + target, document_->loadAndSaveTimeout, [&] {
    // A PageRange would count the pages of every sheet; the sheet as the selection is that sheet
    // alone, on its page style's paper and scale.
    css::uno::Sequence<css::beans::PropertyValue> filterData(2);
    filterData.getArray()[0] = property("Selection", css::uno::Any(document_->sheet));
    filterData.getArray()[1] = property("EmbedStandardFonts", css::uno::Any(true));
    css::uno::Sequence<css::beans::PropertyValue> args(3);
    args.getArray()[0] = property("FilterName", css::uno::Any(OUString("calc_pdf_Export")));
    args.getArray()[1] = property("FilterData", css::uno::Any(filterData));
    args.getArray()[2] = property("Overwrite", css::uno::Any(true));
    try {
      Reference<css::frame::XStorable>(document_->component, UNO_QUERY_THROW)
          ->storeToURL(fileUrl(target), args);
    } catch (const css::io::IOException&) {
      throw QuenbyError(ExportError::SpreadsheetFailed, "电子表格程序无法写入 PDF 文件 " + target);
    }
  });
}

void LibreOfficeHost::closeAllWorkbooks() {
  if (!office_) throw QuenbyError(ExportError::SpreadsheetFailed, "电子表格程序没有启动，无法关闭工作簿");
  if (document_) document_->sheet.clear();
  office_->call("关闭工作簿", options_.callTimeout, [&] {
    Reference<css::container::XEnumeration> components =
        office_->desktop()->getComponents()->createEnumeration();
    std::vector<Reference<css::lang::XComponent>> open;
    while (components->hasMoreElements()) {
      Reference<css::lang::XComponent> c(components->nextElement(), UNO_QUERY);
      if (c.is()) open.push_back(c);
    }
    for (auto& c : open) {
      if (Reference<css::util::XCloseable> closeable{c, UNO_QUERY}; closeable.is())
        closeable->close(true);
      else
        c->dispose();
    }
  });
  document_.reset();
}

void LibreOfficeHost::quit() {
  if (!office_) throw QuenbyError(ExportError::SpreadsheetFailed, "电子表格程序没有启动，无法退出");
  std::unique_ptr<Document> doc = std::move(document_);
  if (doc) {
    doc->sheet.clear();
    doc->component.clear();
  }
  if (reserve_) {
    // The bill is closed: the office's exit is awaited by the reserve, not by the export.
    const bool agreed = office_->askToEnd();
    reserve_->retire(std::move(office_), agreed);
  } else {
    office_->terminate();
    office_.reset();
  }
  officeEnded();
  // The bill is saved; while Quenby ends it is not shown any more.
  if (options_.links->terminationRequested()) raiseAbandoned();
}

void LibreOfficeHost::release() noexcept {
  std::unique_ptr<Document> doc = std::move(document_);
  if (office_) office_->kill();  // first, so that dropping references waits on no one
  if (doc) {
    try {
      doc->sheet.clear();
      doc->component.clear();
    } catch (...) {
    }
  }
  if (office_) {
    office_.reset();
    officeEnded();
  }
}

}  // namespace quenby
