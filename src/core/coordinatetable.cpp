#include "core/coordinatetable.h"

#include "core/certificatefields.h"

#include <algorithm>
#include <cmath>

namespace gravik {

CoordinateTable::CoordinateTable() : m_entries(defaults()) {}

QStringList CoordinateTable::defaults()
{
    QStringList d;
    d.reserve(EntryCount);
    for (const auto &f : certificateFields()) {
        d.append(QString::number(f.y));
        d.append(QString::number(f.x));
    }
    return d;
}

std::optional<float> CoordinateTable::toNumber(const QString &text)
{
    bool ok = false;
    const float v = text.trimmed().toFloat(&ok); // C locale: '.' is the decimal point
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return std::clamp(v, -MaxMagnitude, MaxMagnitude);
}

} // namespace gravik
