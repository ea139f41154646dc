#include "core/printeroffsets.h"

#include "core/atomicfile.h"
#include "core/cp1251.h"
#include "core/programdir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <cstdlib>

namespace gravik {

namespace {

// Millimetres with at most one decimal, as tenths; nullopt past the limit.
std::optional<int> tenths(const QByteArray &text)
{
    static const QRegularExpression number(QStringLiteral("^([+-]?)(\\d{1,3})(?:\\.(\\d))?$"));
    const auto m = number.match(QString::fromLatin1(text));
    if (!m.hasMatch())
        return std::nullopt;
    const int v = m.captured(2).toInt() * 10 + (m.capturedLength(3) ? m.captured(3).toInt() : 0);
    if (v > PrinterOffset::Limit)
        return std::nullopt;
    return m.captured(1) == QLatin1String("-") ? -v : v;
}

QByteArray millimetres(int tenths)
{
    const int a = std::abs(tenths);
    return (tenths < 0 ? "-" : "") + QByteArray::number(a / 10) + '.' + QByteArray::number(a % 10);
}

} // namespace

PrinterOffsets PrinterOffsets::parse(const QByteArray &data, QList<int> *badLines)
{
    PrinterOffsets out;
    QList<QByteArray> lines = data.split('\n');
    if (data.endsWith('\n'))
        lines.removeLast();
    for (int i = 0; i < lines.size(); ++i) {
        Line line;
        line.raw = lines[i];
        if (line.raw.endsWith('\r'))
            line.raw.chop(1);
        const QList<QByteArray> parts = line.raw.split('\t');
        std::optional<int> x, y;
        if (parts.size() == 3 && !parts[0].isEmpty() && (x = tenths(parts[1])) && (y = tenths(parts[2]))) {
            line.queue = cp1251::decode(parts[0]);
            line.offset = {*x, *y};
        } else if (!line.raw.isEmpty() && badLines) {
            badLines->append(i + 1);
        }
        out.m_lines.push_back(std::move(line));
    }
    return out;
}

QByteArray PrinterOffsets::serialise() const
{
    QByteArray out;
    for (const Line &l : m_lines)
        out += l.raw + "\r\n";
    return out;
}

std::optional<PrinterOffset> PrinterOffsets::find(const QString &queue) const
{
    for (const Line &l : m_lines)
        if (!l.queue.isEmpty() && l.queue == queue)
            return l.offset;
    return std::nullopt;
}

void PrinterOffsets::set(const QString &queue, PrinterOffset offset)
{
    Line made{cp1251::encode(queue) + '\t' + millimetres(offset.xTenths) + '\t' + millimetres(offset.yTenths), queue,
              offset};
    for (Line &l : m_lines)
        if (!l.queue.isEmpty() && l.queue == queue) {
            l = std::move(made);
            return;
        }
    m_lines.push_back(std::move(made));
}

QString PrinterOffsets::badLinesMessage(const QString &path, const QList<int> &lines)
{
    QStringList numbers;
    for (int n : lines)
        numbers << QString::number(n);
    const bool one = lines.size() == 1;
    return QStringLiteral("В файле %1 %2 %3 не прочитан%4 и пропущен%4: нужны имя принтера, табуляция, "
                          "смещение X, табуляция, смещение Y (миллиметры от -20 до 20 с десятичной точкой).")
        .arg(QDir::toNativeSeparators(path), one ? QStringLiteral("строка") : QStringLiteral("строки"),
             numbers.join(QStringLiteral(", ")), one ? QStringLiteral("а") : QStringLiteral("ы"));
}

PrinterOffsets PrinterOffsets::read(const QString &path, QString *problem, QList<int> *badLines)
{
    if (problem)
        problem->clear();
    if (badLines)
        badLines->clear();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        // No file is no offsets; a file that is there but cannot be read is told.
        if (f.exists() && problem)
            *problem = fileOpenError(f, path);
        return {};
    }
    QList<int> bad;
    PrinterOffsets out = parse(f.readAll(), &bad);
    if (problem && !bad.isEmpty())
        *problem = badLinesMessage(path, bad);
    if (badLines)
        *badLines = bad;
    return out;
}

bool PrinterOffsets::write(const QString &path, QString *error) const
{
    QDir().mkpath(QFileInfo(path).path());
    return writeFileAtomically(path, serialise(), error);
}

namespace printeroffsets {

namespace {
Reporter &reporter()
{
    static Reporter r;
    return r;
}
QSet<QString> &reported()
{
    static QSet<QString> lines;
    return lines;
}
} // namespace

QString path() { return programdir::file(QStringLiteral("data/printers.txt")); }

PrinterOffsets current()
{
    const QString file = path();
    QString problem;
    QList<int> bad;
    PrinterOffsets offsets = PrinterOffsets::read(file, &problem, &bad);
    // Each bad line (by its number and its text) is told once; a file that
    // cannot be read, once.
    QList<int> untold;
    for (int n : bad) {
        const QString key = file + QLatin1Char('\n') + QString::number(n) + QLatin1Char('\n') +
                            QString::fromLatin1(offsets.m_lines[size_t(n - 1)].raw.toHex());
        if (!reported().contains(key)) {
            reported().insert(key);
            untold << n;
        }
    }
    if (!bad.isEmpty())
        problem = untold.isEmpty() ? QString() : PrinterOffsets::badLinesMessage(file, untold);
    else if (!problem.isEmpty() && !reported().contains(file))
        reported().insert(file);
    else
        problem.clear();
    if (problem.isEmpty())
        return offsets;
    if (reporter())
        reporter()(problem);
    else
        qWarning("%s", qUtf8Printable(problem));
    return offsets;
}

void setReporter(Reporter r) { reporter() = std::move(r); }

void forgetReported() { reported().clear(); }

} // namespace printeroffsets

} // namespace gravik
