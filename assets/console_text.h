// console_text.h - mavo's console text, which is Shift_JIS (code page 932),
// made readable in a UTF-8 build log.
#pragma once

#include <string>

// `text` as UTF-8: ASCII as it is, each character of mavo's messages as its
// UTF-8 form, and any other byte as a visible \xNN escape, so that nothing
// unreadable reaches the log.
std::string console_text_as_utf8(const std::string &text);
