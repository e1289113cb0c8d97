// German messages on stderr: UTF-16 to a console, UTF-8 to a pipe or file.
#pragma once

#include <string_view>

namespace dravosk::sim::server {

void printError(std::wstring_view line);

}  // namespace dravosk::sim::server
