#pragma once
// Between the program and UNO: text conversions, file URLs, the program's own UNO context, and
// calls whose UNO exceptions become the program's errors. Internal to the office library: this
// header pulls in the UNO headers.

#include <string>
#include <string_view>

#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <rtl/ustring.hxx>

#include "export/export_error.h"

namespace quenby {

using rtl::OString;
using rtl::OUString;

// Text conversions between the program's strings and UNO's. A lone UTF-16 surrogate goes to UNO
// as U+FFFD.
OUString toOUString(std::u16string_view text);
OUString utf8ToOUString(std::string_view text);
std::u16string fromOUString(const OUString& text);
std::string utf8FromOUString(const OUString& text);

// file:// URL of an absolute path (see encodeFileUrl).
OUString fileUrl(const std::string& absolutePathUtf8);

// The process's own UNO context, bootstrapped at the first call and never destroyed.
const css::uno::Reference<css::uno::XComponentContext>& localContext();

// Runs one or more UNO calls. A UNO exception becomes a QuenbyError: a broken connection is
// SpreadsheetNoAnswer, anything else SpreadsheetFailed; the description names what was being
// done ("doing", e.g. "保存账单工作簿"). QuenbyErrors pass through.
[[noreturn]] void raiseDisconnected(const std::string& doing);
[[noreturn]] void raiseFailed(const std::string& doing, const OUString& message);
[[noreturn]] void raiseAbandoned();  // ExportAbandoned: Quenby is ending

template <class Call>
auto unoCall(const std::string& doing, Call&& call) -> decltype(call()) {
  try {
    return call();
  } catch (const QuenbyError&) {
    throw;
  } catch (const css::lang::DisposedException&) {
    raiseDisconnected(doing);
  } catch (const css::uno::Exception& e) {
    raiseFailed(doing, e.Message);
  } catch (const std::exception& e) {
    raiseFailed(doing, utf8ToOUString(e.what()));
  }
}

}  // namespace quenby
