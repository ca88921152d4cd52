// Splits a command-line string into arguments by the classic double-quote rules: blanks and tabs
// separate arguments outside quotes; a double quote toggles quoting; inside quotes "" stands for
// one quote; 2n backslashes before a quote give n backslashes and the quote acts, 2n+1 give n
// backslashes and a literal quote; other backslashes are kept as they are.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velt::platform {

std::vector<std::string> splitCommandLine(std::string_view commandLine);

}  // namespace velt::platform
