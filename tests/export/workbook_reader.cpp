#include "workbook_reader.h"

#include <filesystem>
#include <stdexcept>

#include <com/sun/star/awt/XWindow.hpp>
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/sheet/XPrintAreas.hpp>
#include <com/sun/star/sheet/XSelectedSheetsSupplier.hpp>
#include <com/sun/star/sheet/XSheetCellCursor.hpp>
#include <com/sun/star/sheet/XSheetCellRange.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XSpreadsheetView.hpp>
#include <com/sun/star/style/XStyleFamiliesSupplier.hpp>
#include <com/sun/star/table/CellContentType.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/table/XColumnRowRange.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XMergeable.hpp>

#include "office/file_url.h"
#include "office/office_process.h"

namespace quenby {

namespace fs = std::filesystem;
using css::uno::Reference;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;

const CellReading& WorksheetReading::at(int row, int column) const {
  if (row < 1 || row > rows || column < 1 || column > columns)
    throw std::out_of_range("cell outside the reading");
  return cells[static_cast<size_t>((row - 1) * columns + (column - 1))];
}

namespace {

CellRect rectOf(const css::table::CellRangeAddress& a) {
  return {static_cast<int>(a.StartRow) + 1, static_cast<int>(a.StartColumn) + 1,
          static_cast<int>(a.EndRow) + 1, static_cast<int>(a.EndColumn) + 1};
}

// Opens a workbook read-only in a private office and closes it (and the office) again.
class OpenWorkbook {
 public:
  OpenWorkbook(const std::string& pathUtf8, const OfficeOptions& options) : path_(pathUtf8) {
    std::error_code ec;
    fs::path path = fs::absolute(pathFromUtf8(pathUtf8), ec);
    if (ec || !fs::is_regular_file(path, ec))
      throw QuenbyError(ExportError::WorkbookMissing, "找不到工作簿：" + pathUtf8);
    office_ = std::make_unique<OfficeProcess>(options);
    document_ = unoCall("打开工作簿 " + pathUtf8, [&] {
      css::uno::Sequence<css::beans::PropertyValue> args(2);
      args.getArray()[0].Name = "Hidden";
      args.getArray()[0].Value <<= true;
      args.getArray()[1].Name = "ReadOnly";
      args.getArray()[1].Value <<= true;
      Reference<css::sheet::XSpreadsheetDocument> doc(
          office_->desktop()->loadComponentFromURL(fileUrl(utf8FromPath(path)), "_blank", 0, args),
          UNO_QUERY);
      if (!doc.is()) throw QuenbyError(ExportError::SpreadsheetFailed, "无法打开工作簿：" + pathUtf8);
      return doc;
    });
  }
  ~OpenWorkbook() {
    try {
      if (Reference<css::util::XCloseable> c{document_, UNO_QUERY}; c.is()) c->close(true);
    } catch (...) {
    }
    document_.clear();
    office_->terminate();
  }

  const Reference<css::sheet::XSpreadsheetDocument>& document() const { return document_; }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  std::unique_ptr<OfficeProcess> office_;
  Reference<css::sheet::XSpreadsheetDocument> document_;
};

WorksheetReading readSheet(const OpenWorkbook& workbook, const std::u16string& name, int rows, int columns) {
  WorksheetReading reading;
  reading.name = name;
  reading.rows = rows;
  reading.columns = columns;
  Reference<css::container::XNameAccess> sheets(workbook.document()->getSheets(), UNO_QUERY_THROW);
  if (!sheets->hasByName(toOUString(name)))
    throw QuenbyError(ExportError::WorksheetMissing, "工作簿 " + workbook.path() + " 中没有工作表“" +
                                                         utf8FromOUString(toOUString(name)) + "”");
  Reference<css::sheet::XSpreadsheet> sheet(sheets->getByName(toOUString(name)), UNO_QUERY_THROW);

  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      Reference<css::table::XCell> cell = sheet->getCellByPosition(c, r);
      CellReading value;
      switch (cell->getType()) {
        case css::table::CellContentType_VALUE:
          value.kind = CellKind::Value;
          break;
        case css::table::CellContentType_TEXT:
          value.kind = CellKind::Text;
          break;
        case css::table::CellContentType_FORMULA:
          value.kind = CellKind::Formula;
          break;
        default:
          value.kind = CellKind::Empty;
          break;
      }
      value.text = fromOUString(Reference<css::text::XText>(cell, UNO_QUERY_THROW)->getString());
      value.formula = fromOUString(cell->getFormula());
      reading.cells.push_back(std::move(value));

      Reference<css::table::XCellRange> single = sheet->getCellRangeByPosition(c, r, c, r);
      if (Reference<css::util::XMergeable>(single, UNO_QUERY_THROW)->getIsMerged()) {
        Reference<css::sheet::XSheetCellCursor> cursor =
            sheet->createCursorByRange(Reference<css::sheet::XSheetCellRange>(single, UNO_QUERY_THROW));
        cursor->collapseToMergedArea();
        CellRect merged =
            rectOf(Reference<css::sheet::XCellRangeAddressable>(cursor, UNO_QUERY_THROW)->getRangeAddress());
        if (merged.firstRow == r + 1 && merged.firstColumn == c + 1) reading.mergedRanges.push_back(merged);
      }
    }
  }

  for (const auto& area : Reference<css::sheet::XPrintAreas>(sheet, UNO_QUERY_THROW)->getPrintAreas())
    reading.printAreas.push_back(rectOf(area));

  Reference<css::container::XIndexAccess> columnsAccess(
      Reference<css::table::XColumnRowRange>(sheet, UNO_QUERY_THROW)->getColumns(), UNO_QUERY_THROW);
  for (int c = 0; c < columns; ++c) {
    Reference<css::beans::XPropertySet> column(columnsAccess->getByIndex(c), UNO_QUERY_THROW);
    reading.columnWidths.push_back(column->getPropertyValue("Width").get<sal_Int32>());
  }

  Reference<css::container::XIndexAccess> rowsAccess(
      Reference<css::table::XColumnRowRange>(sheet, UNO_QUERY_THROW)->getRows(), UNO_QUERY_THROW);
  for (int r = 0; r < rows; ++r) {
    Reference<css::beans::XPropertySet> row(rowsAccess->getByIndex(r), UNO_QUERY_THROW);
    reading.rowHeights.push_back(row->getPropertyValue("Height").get<sal_Int32>());
  }

  OUString pageStyleName = Reference<css::beans::XPropertySet>(sheet, UNO_QUERY_THROW)
                               ->getPropertyValue("PageStyle")
                               .get<OUString>();
  Reference<css::container::XNameAccess> pageStyles(
      Reference<css::style::XStyleFamiliesSupplier>(workbook.document(), UNO_QUERY_THROW)
          ->getStyleFamilies()
          ->getByName("PageStyles"),
      UNO_QUERY_THROW);
  Reference<css::beans::XPropertySet> pageStyle(pageStyles->getByName(pageStyleName), UNO_QUERY_THROW);
  reading.pageWidth = pageStyle->getPropertyValue("Width").get<sal_Int32>();
  reading.pageHeight = pageStyle->getPropertyValue("Height").get<sal_Int32>();
  reading.landscape = pageStyle->getPropertyValue("IsLandscape").get<bool>();
  reading.leftMargin = pageStyle->getPropertyValue("LeftMargin").get<sal_Int32>();
  reading.rightMargin = pageStyle->getPropertyValue("RightMargin").get<sal_Int32>();
  reading.topMargin = pageStyle->getPropertyValue("TopMargin").get<sal_Int32>();
  reading.bottomMargin = pageStyle->getPropertyValue("BottomMargin").get<sal_Int32>();
  return reading;
}

}  // namespace

std::vector<WorksheetReading> readWorksheets(const std::string& pathUtf8,
                                             const std::vector<std::u16string>& sheets, int rows, int columns,
                                             const OfficeOptions& options) {
  OpenWorkbook workbook(pathUtf8, options);
  return unoCall("读取工作簿 " + pathUtf8, [&] {
    std::vector<WorksheetReading> readings;
    for (const auto& name : sheets) readings.push_back(readSheet(workbook, name, rows, columns));
    return readings;
  });
}

std::vector<std::u16string> worksheetNames(const std::string& pathUtf8, const OfficeOptions& options) {
  OpenWorkbook workbook(pathUtf8, options);
  return unoCall("读取工作簿 " + pathUtf8, [&] {
    std::vector<std::u16string> names;
    for (const OUString& name : workbook.document()->getSheets()->getElementNames())
      names.push_back(fromOUString(name));
    return names;
  });
}

WorkbookView readWorkbookView(const std::string& pathUtf8, const OfficeOptions& options) {
  OpenWorkbook workbook(pathUtf8, options);
  return unoCall("读取工作簿 " + pathUtf8, [&] {
    Reference<css::frame::XController> controller =
        Reference<css::frame::XModel>(workbook.document(), UNO_QUERY_THROW)->getCurrentController();
    // A hidden view keeps the first sheet; showing it (nothing is drawn in the headless office)
    // applies the workbook's own choice.
    controller->getFrame()->getContainerWindow()->setVisible(true);
    WorkbookView view;
    Reference<css::container::XNamed> active(
        Reference<css::sheet::XSpreadsheetView>(controller, UNO_QUERY_THROW)->getActiveSheet(),
        UNO_QUERY_THROW);
    view.activeSheet = fromOUString(active->getName());
    Reference<css::container::XIndexAccess> sheets(workbook.document()->getSheets(), UNO_QUERY_THROW);
    for (sal_Int32 index :
         Reference<css::sheet::XSelectedSheetsSupplier>(controller, UNO_QUERY_THROW)->getSelectedSheets())
      view.selectedSheets.push_back(fromOUString(
          Reference<css::container::XNamed>(sheets->getByIndex(index), UNO_QUERY_THROW)->getName()));
    return view;
  });
}

}  // namespace quenby
