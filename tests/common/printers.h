#pragma once

#include <QString>

#include <ostream>

// Readable failure messages for every test: gtest would otherwise print Qt strings as raw bytes.
// Every test program gets this header first (see tests/CMakeLists.txt).
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << qUtf8Printable(text) << '"';
}
