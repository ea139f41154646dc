#include "core/cp1251.h"

#include <QStringDecoder>

namespace gravik::cp1251 {

QString systemDecode(const QByteArray &bytes)
{
    QStringDecoder dec("windows-1251", QStringDecoder::Flag::Stateless);
    return dec.isValid() ? dec.decode(bytes) : QString();
}

} // namespace gravik::cp1251
