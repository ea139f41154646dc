#include "core/cp1251.h"

#include <windows.h>

namespace gravik::cp1251 {

// Qt for Windows converts named code pages only through ICU, which this build
// has not; Windows has code page 1251 itself.
QString systemDecode(const QByteArray &bytes)
{
    const int n = ::MultiByteToWideChar(1251, 0, bytes.constData(), int(bytes.size()), nullptr, 0);
    if (n <= 0)
        return {};
    QString out(n, Qt::Uninitialized);
    ::MultiByteToWideChar(1251, 0, bytes.constData(), int(bytes.size()), reinterpret_cast<wchar_t *>(out.data()), n);
    return out;
}

} // namespace gravik::cp1251
