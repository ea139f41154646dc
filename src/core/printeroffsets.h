#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QPointF>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace gravik {

class PrinterOffsets;
namespace printeroffsets {
PrinterOffsets current();
}

// How far one printer's output is moved on the sheet, in tenths of a
// millimetre (whole numbers, so a value read and written back is unchanged);
// positive X moves right, positive Y down.
struct PrinterOffset {
    static constexpr int Limit = 200; // 20 mm either way

    int xTenths = 0;
    int yTenths = 0;

    QPointF millimetres() const { return {xTenths / 10.0, yTenths / 10.0}; }
    bool isNull() const { return xTenths == 0 && yTenths == 0; }
    bool operator==(const PrinterOffset &) const = default;
};

// data/printers.txt: per CUPS queue one line "QUEUE<TAB>X<TAB>Y", millimetres
// with a decimal point, code page 1251, CR LF. Lines it does not change
// (printers this machine does not have, lines it cannot read) are written
// back as they were. The file's bytes are kept once and a line is a span of
// them, so a long file of lines nobody reads costs little more than itself.
class PrinterOffsets
{
public:
    // A message names this many bad lines and counts the rest.
    static constexpr int NamedBadLines = 10;

    // The lines of data; the numbers (1-based) of lines that are not
    // "QUEUE TAB X TAB Y" within the limits go into *badLines. Empty lines
    // are neither offsets nor bad.
    static PrinterOffsets parse(const QByteArray &data, QList<int> *badLines = nullptr);
    QByteArray serialise() const;

    std::optional<PrinterOffset> find(const QString &queue) const;
    // Replaces the queue's line, or adds one at the end.
    void set(const QString &queue, PrinterOffset offset);

    // Reads path; a missing file is no offsets. *problem gets the message
    // naming the file and its bad lines (empty when there are none).
    static PrinterOffsets read(const QString &path, QString *problem = nullptr, QList<int> *badLines = nullptr);
    bool write(const QString &path, QString *error) const;

    // The message naming the file and the first of these bad lines, with the
    // count of the others.
    static QString badLinesMessage(const QString &path, const QList<int> &lines);

private:
    friend PrinterOffsets printeroffsets::current();
    struct Line {
        qsizetype start = 0; // in m_bytes, without its line end
        qsizetype length = 0;
        int entry = -1; // in m_entries; -1: a line that is no offset
    };
    struct Entry {
        QString queue;
        PrinterOffset offset;
    };
    QByteArrayView raw(const Line &line) const { return QByteArrayView(m_bytes).sliced(line.start, line.length); }

    QByteArray m_bytes; // the file as read, then the lines made here
    std::vector<Line> m_lines;
    std::vector<Entry> m_entries;
};

namespace printeroffsets {

// data/printers.txt of the program directory.
QString path();

// The offsets of path(), as the printing and the offset window read them. A
// bad line is reported once in a run (the same line of the same file is not
// reported again) through the reporter.
PrinterOffsets current();

// Where the report of bad lines goes: qWarning unless the program sets its own.
using Reporter = std::function<void(const QString &message)>;
void setReporter(Reporter reporter);
// Lets every bad line be reported again (tests).
void forgetReported();

} // namespace printeroffsets

} // namespace gravik
