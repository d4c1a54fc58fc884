#include "windows/bill_pdf_name.h"

#include <QDir>

#include "store/records.h"

namespace quenby::app {

namespace {

constexpr int kMostBuyerCharacters = 60;
// Four bytes a character would pass the 255 bytes a file name may take.
constexpr int kMostBuyerBytes = 180;

bool unfit(char32_t c) {
  switch (QChar::category(c)) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
      return true;
    default:
      return c == U'/';
  }
}

}  // namespace

QString fileNameBuyer(const QString& buyer) {
  QString fit;
  for (char32_t c : buyer.toUcs4()) fit += unfit(c) ? QStringLiteral(" ") : QString::fromUcs4(&c, 1);
  fit = fit.simplified();
  qsizetype lead = 0;
  while (lead < fit.size() && (fit[lead] == u'.' || fit[lead].isSpace())) ++lead;
  fit.remove(0, lead);
  QString cut;
  int characters = 0;
  for (char32_t c : fit.toUcs4()) {
    const QString one = QString::fromUcs4(&c, 1);
    if (++characters > kMostBuyerCharacters || (cut + one).toUtf8().size() > kMostBuyerBytes) break;
    cut += one;
  }
  return cut.trimmed();
}

PdfRequest billPdfRequest(const QString& root, const QDateTime& at, const store::SheetState& texts,
                          bool draft) {
  const store::RecordColumns columns = store::columnsOf(texts);
  const QDateTime local = at.toLocalTime();
  const QString folder = QDir(root).filePath(local.toString(QStringLiteral("yyyy-MM")));
  QStringList parts{local.toString(QStringLiteral("yyyy-MM-dd HHmmss")), fileNameBuyer(columns.worksheet)};
  if (draft) parts << QStringLiteral("未导出");
  if (const QString buyer = fileNameBuyer(columns.buyer.text); !buyer.isEmpty()) parts << buyer;
  parts.removeAll(QString());
  return {QDir::cleanPath(root).toStdString(), QDir::cleanPath(folder).toStdString(),
          parts.join(u' ').toStdString()};
}

}  // namespace quenby::app
