#include "calc/error.h"

namespace quenby {

QuenbyError::QuenbyError(ErrorCode code, std::string description)
    : std::runtime_error(std::to_string(static_cast<int>(code)) + ": " + description),
      code_(code),
      description_(std::move(description)) {}

std::string standardDescription(ErrorCode code) {
  switch (code) {
    case ErrorCode::InvalidOperation: return "无效的运算：计算结果不是数值，请检查输入的数字";
    case ErrorCode::Overflow: return "溢出：计算结果超出了数值范围，请检查输入的数字";
    case ErrorCode::DivisionByZero: return "除数为零";
    case ErrorCode::TypeMismatch: return "类型不匹配";
    case ErrorCode::OutOfMemory: return "内存不足";
    case ErrorCode::Unexpected: return "程序内部错误";
    case ErrorCode::SpreadsheetMissing: return "没有找到电子表格程序（LibreOffice Calc），请先安装";
    case ErrorCode::SpreadsheetNoAnswer: return "电子表格程序没有响应";
    case ErrorCode::WorkbookMissing: return "找不到账单工作簿";
    case ErrorCode::WorksheetMissing: return "账单工作簿中没有所需的工作表";
    case ErrorCode::WorkbookNotSaved: return "账单工作簿无法保存";
    case ErrorCode::BillNotShown: return "无法打开账单工作簿";
    case ErrorCode::SpreadsheetFailed: return "电子表格程序出错";
  }
  return "未知错误";
}

void raise(ErrorCode code) { throw QuenbyError(code, standardDescription(code)); }

}  // namespace quenby
