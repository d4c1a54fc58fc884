// The PDF of an export as the windows ask for it: its folder and name from awkward buyers, and a
// PDF that cannot be written told after the bill is shown, the export going through.

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <string>

#include "logtally/form1.h"
#include "recording_host.h"
#include "ui_test_support.h"
#include "windows/bill_pdf_name.h"

namespace quenby {
namespace {

using testing::Recording;

// Faults: a buyer's "/" or "../" reaching the path (a PDF outside the month's folder, or a folder
// made for it), a newline or other control character in a file name, a leading dot (a hidden
// file), a name too long for the file system, an empty buyer leaving a stray space, a draft's
// name not saying so.
TEST(BillPdfName, AwkwardBuyersStayInsideTheMonthsFolder) {
  struct Row {
    const char* what;
    std::u16string buyer;
    bool draft;
    QString name;
  };
  const QString sixtyWood = QString(60, QChar(u'木'));
  const QString smiles = QString::fromUtf16(u"😀").repeated(45);  // 180 bytes
  const Row rows[] = {
      {"parent folders", u"../../x", false, QStringLiteral("2026-03-31 235959 原木一 x")},
      {"a slash", u"a/b", false, QStringLiteral("2026-03-31 235959 原木一 a b")},
      {"a newline and a tab", u"张\n\t三", false, QStringLiteral("2026-03-31 235959 原木一 张 三")},
      {"200 characters", std::u16string(200, u'木'), false,
       QStringLiteral("2026-03-31 235959 原木一 ") + sixtyWood},
      {"60 four-byte characters", QString::fromUtf16(u"😀").repeated(60).toStdU16String(), false,
       QStringLiteral("2026-03-31 235959 原木一 ") + smiles},
      {"only dots", u"....", false, QStringLiteral("2026-03-31 235959 原木一")},
      {"empty", u"", false, QStringLiteral("2026-03-31 235959 原木一")},
      {"a hidden name", u" .王五 ", false, QStringLiteral("2026-03-31 235959 原木一 王五")},
      {"a draft", u"王五", true, QStringLiteral("2026-03-31 235959 原木一 未导出 王五")},
  };
  const QDateTime at(QDate(2026, 3, 31), QTime(23, 59, 59));
  for (const Row& row : rows) {
    const store::SheetState texts{"logtally", {{"Text17", -1, row.buyer}}};
    const PdfRequest request = app::billPdfRequest(QStringLiteral("/r/Quenby 账单"), at, texts, row.draft);
    EXPECT_EQ(request.root, "/r/Quenby 账单") << row.what;
    EXPECT_EQ(request.folder, "/r/Quenby 账单/2026-03") << row.what;
    EXPECT_EQ(QString::fromStdString(request.name), row.name) << row.what;
  }
}

// Fault: a PDF that cannot be written failing the export (the bill not shown, or saved twice), or
// not told; it is told after the bill is shown, and the record hears why.
TEST(BillPdfExport, APdfThatCannotBeWrittenIsToldAfterTheBillIsShown) {
  QTemporaryDir folder;
  Recording rec;  // a host that writes no PDF
  ExportServices services = testing::recordingServices(rec);
  services.pdfRequest = [&]() -> std::optional<PdfRequest> {
    const std::string root = folder.path().toStdString();
    return PdfRequest{root, root + "/2026-03", "单"};
  };
  KeptPdf kept;
  services.afterSave = [&](const KeptPdf& pdf) { kept = pdf; };
  Form1 form(services);
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  testing::MessageBoxAnswerer answerer;
  QTest::mouseClick(form.control({"Command3"}), Qt::LeftButton);
  EXPECT_EQ(rec.saves, 1);
  EXPECT_EQ(rec.shown, 1);
  ASSERT_TRUE(kept.failure);
  EXPECT_EQ(kept.failure->number(), 1015);
  ASSERT_EQ(answerer.all().size(), 2u);  // the reminder, then the PDF's error
  EXPECT_TRUE(
      answerer.all()[1].text.startsWith(QStringLiteral("错误 1015：账单已经导出并保存，但没有生成它的 PDF")))
      << answerer.all()[1].text.toStdString();
  EXPECT_EQ(QDir(folder.filePath(QStringLiteral("2026-03"))).entryList(QDir::Files | QDir::Hidden),
            QStringList());
}

}  // namespace
}  // namespace quenby
