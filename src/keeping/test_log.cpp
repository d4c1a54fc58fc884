#include "keeping/test_log.h"

#include <QComboBox>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>

#include "ledger/ledger_model.h"
#include "ledger/ledger_window.h"
#include "shell/qt_text.h"
#include "windows/calculators.h"

namespace quenby::app {

namespace {

using shell::qt;

QString shownKey(const Calculators& calculators) {
  return qt(Calculators::storeKey(calculators.shown().value_or(Calculators::LogTally)));
}

QString widgetText(const QWidget* widget) {
  if (auto* edit = qobject_cast<const QLineEdit*>(widget)) return edit->text();
  if (auto* combo = qobject_cast<const QComboBox*>(widget)) return combo->currentText();
  return {};
}

// What the widgets of every window show, by sheet and field.
QJsonObject shownTexts(const Calculators& calculators) {
  QJsonObject windows;
  for (Calculators::Calculator which : Calculators::all()) {
    const shell::SheetWindow* window = calculators.window(which);
    if (!window || !window->attachedSheet()) continue;
    QJsonObject widgets;
    for (const NamedField& f : window->attachedSheet()->fields())
      widgets[QString::fromStdString(toString(f.id))] = widgetText(window->control(f.id));
    windows[qt(Calculators::storeKey(which))] = widgets;
  }
  return windows;
}

}  // namespace

std::unique_ptr<TestLog> TestLog::fromEnvironment() {
  const QString path = qEnvironmentVariable("QUENBY_TEST_LOG");
  if (path.isEmpty()) return nullptr;
  return std::unique_ptr<TestLog>(new TestLog(path));
}

void TestLog::saved(const store::Snapshot& snapshot) {
  QJsonObject sheets;
  for (const store::SheetState& sheet : snapshot.sheets) {
    QJsonObject fields;
    for (const store::FieldText& f : sheet.fields)
      fields[QString::fromStdString(toString({f.name, f.index}))] = QString::fromStdU16String(f.text);
    sheets[qt(sheet.key)] = fields;
  }
  append({{"saved", ++saves_}, {"shown", qt(snapshot.shown)}, {"sheets", sheets}});
}

void TestLog::started(const Calculators& calculators, bool recovered, qint64 storeUs, qint64 recoverUs) {
  append({{"start", recovered ? "recovered" : "fresh"},
          {"storeUs", storeUs},
          {"recoverUs", recoverUs},
          {"shown", shownKey(calculators)},
          {"windows", shownTexts(calculators)}});
}

void TestLog::listed(const ledger::LedgerWindow& window) {
  const ledger::LedgerModel& model = window.model();
  QJsonArray first;
  for (int c = 0; model.rowCount() > 0 && c < model.columnCount(); ++c)
    first.append(model.index(0, c).data().toString());
  append({{"ledger", model.rowCount()},
          {"search", model.filter().text},
          {"totals", window.totalsText()},
          {"sync", window.syncStatusText()},
          {"first", first}});
}

void TestLog::reopened(const Calculators& calculators, std::string_view sheet) {
  append({{"reopened", qt(sheet)}, {"shown", shownKey(calculators)}, {"windows", shownTexts(calculators)}});
}

void TestLog::append(const QJsonObject& line) {
  std::lock_guard lock(mutex_);
  QFile file(path_);
  if (!file.open(QIODevice::Append)) return;
  file.write(QJsonDocument(line).toJson(QJsonDocument::Compact) + '\n');
}

}  // namespace quenby::app
