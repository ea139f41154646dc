#include "core/printeroffsets.h"

#include "core/atomicfile.h"
#include "core/cp1251.h"
#include "core/programdir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <algorithm>

#include <cstdlib>

namespace gravik {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Millimetres with at most one decimal ("-1.5", "+20", "0.3"), as tenths;
// nullopt for anything else or past the limit.
std::optional<int> tenths(QByteArrayView text)
{
    const bool minus = text.startsWith('-');
    if (minus || text.startsWith('+'))
        text = text.sliced(1);
    qsizetype whole = 0;
    int v = 0;
    while (whole < text.size() && whole < 4 && isDigit(text[whole]))
        v = v * 10 + (text[whole++] - '0');
    if (whole == 0 || whole > 3)
        return std::nullopt;
    v *= 10;
    if (whole < text.size()) {
        if (text.size() != whole + 2 || text[whole] != '.' || !isDigit(text[whole + 1]))
            return std::nullopt;
        v += text[whole + 1] - '0';
    }
    if (v > PrinterOffset::Limit)
        return std::nullopt;
    return minus ? -v : v;
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
    out.m_bytes = data;
    const QByteArrayView all(out.m_bytes);
    qsizetype at = 0;
    for (int number = 1; at < all.size(); ++number) {
        qsizetype end = all.indexOf('\n', at);
        const qsizetype next = end < 0 ? all.size() : end + 1;
        if (end < 0)
            end = all.size();
        Line line{at, end - at};
        if (line.length > 0 && all[end - 1] == '\r')
            --line.length;
        at = next;
        const QByteArrayView text = out.raw(line);
        const qsizetype tab1 = text.indexOf('\t');
        const qsizetype tab2 = tab1 < 0 ? -1 : text.indexOf('\t', tab1 + 1);
        std::optional<int> x, y;
        if (tab1 > 0 && tab2 > 0 && text.indexOf('\t', tab2 + 1) < 0
            && (x = tenths(text.sliced(tab1 + 1, tab2 - tab1 - 1))) && (y = tenths(text.sliced(tab2 + 1)))) {
            line.entry = int(out.m_entries.size());
            out.m_entries.push_back({cp1251::decode(text.first(tab1)), {*x, *y}});
        } else if (!text.isEmpty() && badLines) {
            badLines->append(number);
        }
        out.m_lines.push_back(line);
    }
    return out;
}

QByteArray PrinterOffsets::serialise() const
{
    qsizetype size = 0;
    for (const Line &l : m_lines)
        size += l.length + 2;
    QByteArray out;
    out.reserve(size);
    for (const Line &l : m_lines)
        out.append(raw(l)).append("\r\n");
    return out;
}

std::optional<PrinterOffset> PrinterOffsets::find(const QString &queue) const
{
    for (const Entry &e : m_entries)
        if (!e.queue.isEmpty() && e.queue == queue)
            return e.offset;
    return std::nullopt;
}

void PrinterOffsets::set(const QString &queue, PrinterOffset offset)
{
    const QByteArray made = cp1251::encode(queue) + '\t' + millimetres(offset.xTenths) + '\t' + millimetres(offset.yTenths);
    const Line line{m_bytes.size(), made.size()};
    m_bytes += made;
    for (Line &l : m_lines)
        if (l.entry >= 0 && m_entries[size_t(l.entry)].queue == queue) {
            m_entries[size_t(l.entry)].offset = offset;
            l.start = line.start;
            l.length = line.length;
            return;
        }
    m_entries.push_back({queue, offset});
    m_lines.push_back({line.start, line.length, int(m_entries.size() - 1)});
}

QString PrinterOffsets::badLinesMessage(const QString &path, const QList<int> &lines)
{
    QStringList numbers;
    for (int n : lines.first(std::min<qsizetype>(lines.size(), NamedBadLines)))
        numbers << QString::number(n);
    QString named = numbers.join(QStringLiteral(", "));
    if (lines.size() > NamedBadLines)
        named += QStringLiteral(" и ещё %1").arg(lines.size() - NamedBadLines);
    const bool one = lines.size() == 1;
    return QStringLiteral("В файле %1 %2 %3 не прочитан%4 и пропущен%4: нужны имя принтера, табуляция, "
                          "смещение X, табуляция, смещение Y (миллиметры от -20 до 20 с десятичной точкой).")
        .arg(QDir::toNativeSeparators(path), one ? QStringLiteral("строка") : QStringLiteral("строки"), named,
             one ? QStringLiteral("а") : QStringLiteral("ы"));
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
// Per file, the bad lines told of, each as a hash of its number and text
// (kept sorted): eight bytes a line, however long the line.
QHash<QString, std::vector<size_t>> &reported()
{
    static QHash<QString, std::vector<size_t>> lines;
    return lines;
}
QSet<QString> &unreadable()
{
    static QSet<QString> files;
    return files;
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
    std::vector<size_t> &told = reported()[file];
    QList<int> untold;
    std::vector<size_t> fresh;
    for (int n : bad) {
        const size_t key = qHash(offsets.raw(offsets.m_lines[size_t(n - 1)]), size_t(n));
        if (!std::binary_search(told.begin(), told.end(), key)) {
            fresh.push_back(key);
            untold << n;
        }
    }
    if (!fresh.empty()) {
        std::sort(fresh.begin(), fresh.end());
        const auto middle = told.insert(told.end(), fresh.begin(), fresh.end());
        std::inplace_merge(told.begin(), middle, told.end());
    }
    if (!bad.isEmpty())
        problem = untold.isEmpty() ? QString() : PrinterOffsets::badLinesMessage(file, untold);
    else if (!problem.isEmpty() && !unreadable().contains(file))
        unreadable().insert(file);
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

void forgetReported()
{
    reported().clear();
    unreadable().clear();
}

} // namespace printeroffsets

} // namespace gravik
