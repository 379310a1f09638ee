#pragma once

#include <string>

namespace tvx {

// printf-style formatting into a std::string; the system's texts are printf patterns.
std::string Format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));

}  // namespace tvx
