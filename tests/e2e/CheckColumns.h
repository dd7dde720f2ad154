// The check-list columns as tavro-shell prints them from the shipped language files.
#pragma once

namespace e2e {

inline constexpr const char* kCnColumns =
    "column \"业务编号\" 15\n"
    "column \"业务类型\" 12\n"
    "column \"付款账号\" 18\n"
    "column \"币种\" 5\n"
    "column \"金额\" 12\n"
    "column \"收款人\" 20\n"
    "column \"经办人\" 8\n"
    "column \"提交时间\" 15\n";

inline constexpr const char* kEnColumns =
    "column \"Business No.\" 15\n"
    "column \"Type\" 12\n"
    "column \"Debit Account\" 18\n"
    "column \"Currency\" 8\n"
    "column \"Amount\" 12\n"
    "column \"Payee\" 20\n"
    "column \"Operator\" 8\n"
    "column \"Submitted\" 15\n";

}  // namespace e2e
