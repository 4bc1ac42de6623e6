#pragma once

#include <QPointF>
#include <QRectF>
#include <QString>

#include <ostream>

// Readable failure messages for every test: gtest would otherwise print Qt strings as raw bytes.
// Every test program gets this header first (see tests/CMakeLists.txt).
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << qUtf8Printable(text) << '"';
}

inline std::ostream& operator<<(std::ostream& out, const QPointF& point)
{
    return out << '(' << point.x() << ", " << point.y() << ')';
}

inline std::ostream& operator<<(std::ostream& out, const QRectF& rect)
{
    return out << rect.topLeft() << ' ' << rect.width() << 'x' << rect.height();
}
