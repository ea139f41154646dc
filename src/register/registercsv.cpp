#include "register/registercsv.h"

#include "core/atomicfile.h"

namespace gravik::blanks {

namespace {

QString field(const QString &text)
{
    static const QString special = QStringLiteral(",\"\r\n");
    if (std::none_of(text.begin(), text.end(), [](QChar c) { return special.contains(c); }))
        return text;
    return QLatin1Char('"') + QString(text).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

} // namespace

QByteArray csv(const std::vector<Entry> &entries)
{
    QString out = QStringLiteral("blank,date,surname,name,patronymic,registration,printer,job,state,reason\r\n");
    for (const Entry &e : entries) {
        const QStringList row{e.blank.text(),
                              e.recorded.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                              e.pupil.surname,
                              e.pupil.name,
                              e.pupil.patronymic,
                              e.pupil.registration,
                              e.printer,
                              e.job ? QString::number(e.job) : QString(),
                              stateCode(e.state),
                              e.reason};
        QStringList quoted;
        for (const QString &f : row)
            quoted << field(f);
        out += quoted.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    }
    return QByteArray("\xEF\xBB\xBF") + out.toUtf8();
}

bool writeCsv(const QString &path, const std::vector<Entry> &entries, QString *error)
{
    return writeFileAtomically(path, csv(entries), error);
}

} // namespace gravik::blanks
