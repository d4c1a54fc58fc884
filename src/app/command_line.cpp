#include "app/command_line.h"

#include <QCommandLineParser>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace quenby::app {

namespace {

constexpr int kUsageError = 2;

// The program's own options. A new one is a row here and a flag in CommandLine; the help lists
// every row.
struct ProgramOption {
  QStringList names;
  const char* description;  // UTF-8
  bool CommandLine::*flag;
};

const std::vector<ProgramOption>& programOptions() {
  static const std::vector<ProgramOption> options = {
      {{"h", "help"}, "显示本帮助并退出", &CommandLine::help},
      {{"v", "version"}, "显示版本号并退出", &CommandLine::version},
      {{"ledger"}, "只打开账单记录，重新打开一条记录时才显示计算窗口", &CommandLine::ledger},
      {{"setup-server"},
       "建立或升级堆场服务器上的表并退出；可在其后给出 PostgreSQL 连接串，默认用设置中 [yard] 的 server",
       &CommandLine::setupServer},
  };
  return options;
}

// The options QGuiApplication, QApplication and the X11 platform plugin take from argv, so that
// they pass as known: those that take a value, and the plain switches.
const char kQtValueOptions[] =
    "platform platformpluginpath platformtheme plugin qmljsdebugger qwindowgeometry qwindowicon "
    "qwindowtitle geometry icon title session display name visual style stylesheet";
const char kQtSwitches[] = "reverse testability nograb dograb widgetcount";

void print(std::FILE* stream, const QString& text) { std::fputs(text.toUtf8().constData(), stream); }

QString dashed(const QString& name) { return (name.size() == 1 ? "-" : "--") + name; }

QString helpText() {
  QStringList columns;
  for (const ProgramOption& option : programOptions()) {
    QStringList forms;
    for (const QString& name : option.names) forms << dashed(name);
    columns << forms.join(", ");
  }
  qsizetype width = 0;
  for (const QString& column : columns) width = std::max(width, column.size());
  QString text = QStringLiteral(
      "用法：quenby [选项]\n"
      "Quenby 木材计算器：原木、多材长和锯材的材积与金额计算，结果导出到账单明细表格。\n"
      "\n"
      "选项：\n");
  for (size_t i = 0; i < programOptions().size(); ++i) {
    text += "  " + columns[i].leftJustified(width + 2) + QString::fromUtf8(programOptions()[i].description) +
            "\n";
  }
  text += QStringLiteral(
      "\n"
      "也接受 Qt 的标准选项，例如 -platform、-display、-style。\n"
      "详见 man quenby。\n");
  return text;
}

// The argument as the user typed it that named the unknown option `name`.
QString typed(const QStringList& arguments, const QString& name) {
  for (const QString& argument : arguments.mid(1)) {
    QString bare = argument.section(QLatin1Char('='), 0, 0);
    while (bare.startsWith(QLatin1Char('-'))) bare.remove(0, 1);
    if (argument.startsWith(QLatin1Char('-')) && bare == name)
      return argument.section(QLatin1Char('='), 0, 0);
  }
  return dashed(name);
}

int refuse(const QString& mistake) {
  print(stderr, "quenby: " + mistake + "\n" + QStringLiteral("用 quenby --help 查看可用的选项。\n"));
  return kUsageError;
}

}  // namespace

CommandLine readCommandLine(int argc, char* argv[]) {
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);

  QCommandLineParser parser;
  // Qt's options are single-dash words (-platform offscreen), not bundles of letters.
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  for (const ProgramOption& option : programOptions()) {
    parser.addOption(QCommandLineOption(option.names, QString::fromUtf8(option.description)));
  }
  for (const QString& name : QString::fromLatin1(kQtValueOptions).split(QLatin1Char(' '))) {
    QCommandLineOption option(name, {}, QStringLiteral("value"));
    option.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(option);
  }
  for (const QString& name : QString::fromLatin1(kQtSwitches).split(QLatin1Char(' '))) {
    QCommandLineOption option(name);
    option.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(option);
  }

  CommandLine result;
  if (!parser.parse(arguments)) {
    const QStringList unknown = parser.unknownOptionNames();
    result.exitStatus =
        refuse(unknown.isEmpty() ? QStringLiteral("命令行有误（%1）").arg(parser.errorText())
                                 : QStringLiteral("未知选项 %1").arg(typed(arguments, unknown.first())));
    return result;
  }
  for (const ProgramOption& option : programOptions()) {
    result.*option.flag = parser.isSet(option.names.first());
  }
  // --setup-server takes one connection string after it; nothing else takes an argument.
  const QStringList positional = parser.positionalArguments();
  if (positional.size() > (result.setupServer ? 1 : 0)) {
    result.exitStatus = refuse(QStringLiteral("多余的参数 %1").arg(positional.last()));
    return result;
  }
  if (result.setupServer && !positional.isEmpty()) result.server = positional.first();
  if (result.help) {
    print(stdout, helpText());
    result.exitStatus = 0;
  } else if (result.version) {
    print(stdout, QStringLiteral("quenby %1\n").arg(QStringLiteral(QUENBY_VERSION)));
    result.exitStatus = 0;
  }
  return result;
}

}  // namespace quenby::app
