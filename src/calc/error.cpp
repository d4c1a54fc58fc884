#include "calc/error.h"

namespace quenby {

QuenbyError::QuenbyError(int number, std::string description)
    : std::runtime_error(std::to_string(number) + ": " + description),
      number_(number),
      description_(std::move(description)) {}

std::string standardDescription(ErrorCode code) {
  switch (code) {
    case ErrorCode::InvalidOperation:
      return "无效的运算：计算结果不是数值，请检查输入的数字";
    case ErrorCode::Overflow:
      return "溢出：计算结果超出了数值范围，请检查输入的数字";
    case ErrorCode::OutOfMemory:
      return "内存不足";
    case ErrorCode::DivisionByZero:
      return "除数为零";
    case ErrorCode::TypeMismatch:
      return "类型不匹配";
    case ErrorCode::Unexpected:
      return "程序内部错误";
  }
  return "未知错误";
}

void raise(ErrorCode code) { throw QuenbyError(code, standardDescription(code)); }

}  // namespace quenby
