#include "office/uno_bridge.h"

#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>

#include <cppuhelper/bootstrap.hxx>
#include <rtl/string.hxx>

#include "office/file_url.h"

namespace quenby {

OUString toOUString(std::u16string_view text) {
  // UNO carries strings to the office as UTF-8, which has no form for a lone surrogate: one in a
  // text would break the connection at every attempt. It goes as U+FFFD, the mark of a character
  // that could not be kept.
  std::u16string sent(text);
  for (size_t i = 0; i < sent.size(); ++i) {
    const bool high = sent[i] >= 0xD800 && sent[i] <= 0xDBFF;
    const bool low = sent[i] >= 0xDC00 && sent[i] <= 0xDFFF;
    if (high && i + 1 < sent.size() && sent[i + 1] >= 0xDC00 && sent[i + 1] <= 0xDFFF)
      ++i;  // a pair: one character
    else if (high || low)
      sent[i] = u'\uFFFD';
  }
  return OUString(reinterpret_cast<const sal_Unicode*>(sent.data()), static_cast<sal_Int32>(sent.size()));
}

OUString utf8ToOUString(std::string_view text) {
  return OStringToOUString(OString(text.data(), static_cast<sal_Int32>(text.size())), RTL_TEXTENCODING_UTF8);
}

std::u16string fromOUString(const OUString& text) {
  return std::u16string(reinterpret_cast<const char16_t*>(text.getStr()),
                        static_cast<size_t>(text.getLength()));
}

std::string utf8FromOUString(const OUString& text) {
  OString bytes = OUStringToOString(text, RTL_TEXTENCODING_UTF8);
  return std::string(bytes.getStr(), static_cast<size_t>(bytes.getLength()));
}

OUString fileUrl(const std::string& absolutePathUtf8) {
  return OUString::createFromAscii(encodeFileUrl(absolutePathUtf8).c_str());
}

const css::uno::Reference<css::uno::XComponentContext>& localContext() {
  // Tearing UNO down during static destruction is not safe: the context lives to the end.
  static std::once_flag once;
  static css::uno::Reference<css::uno::XComponentContext>* context = nullptr;
  std::call_once(once, [] {
    // The bridge writes to the office's pipe from its own threads. When an office ends or is
    // killed mid-call, that write must fail with EPIPE (and become an error of the export), not
    // end the whole program with SIGPIPE. Offices we start get the default handling back.
    ::signal(SIGPIPE, SIG_IGN);
    // Without URE_BOOTSTRAP the default bootstrap cannot find the URE's services.
    ::setenv("URE_BOOTSTRAP", "vnd.sun.star.pathname:" QUENBY_LO_PROGRAM "/fundamentalrc", 0);
    context = new css::uno::Reference<css::uno::XComponentContext>(
        cppu::defaultBootstrap_InitialComponentContext());
  });
  return *context;
}

void raiseDisconnected(const std::string& doing) {
  throw QuenbyError(ExportError::SpreadsheetNoAnswer,
                    "电子表格程序（LibreOffice）在" + doing + "时中断了连接，请重新导出");
}

void raiseFailed(const std::string& doing, const OUString& message) {
  // The office's own words name its source files and are for whoever looks into the fault, on
  // standard error; the box tells the clerk which step failed.
  if (!message.isEmpty())
    std::fprintf(stderr, "quenby: LibreOffice failed while %s: %s\n", doing.c_str(),
                 utf8FromOUString(message).c_str());
  throw QuenbyError(ExportError::SpreadsheetFailed,
                    "电子表格程序（LibreOffice）在" + doing + "时出错，请重新导出");
}

void raiseAbandoned() { throw QuenbyError(ExportError::ExportAbandoned, "Quenby 正在退出，导出已中止"); }

}  // namespace quenby
