#pragma once

#include "core/pagelayout.h"
#include "register/blanknumber.h"

#include <QDate>
#include <QDateTime>
#include <QObject>
#include <QString>

#include <optional>
#include <vector>

class QSqlDatabase;

// The register of numbered blanks: every page sent to a printer against the
// blank it went onto, spoiled and written-off blanks with their reasons, and
// the blank next in the printer. An SQLite file (data/register.sqlite) that
// the program and gravik-print may both write: each change is one transaction.
namespace gravik::blanks {

enum class State { Issued, Spoiled, WrittenOff };
// "issued", "spoiled", "written-off": the words the file and the CSV keep.
QString stateCode(State s);
std::optional<State> stateOf(const QString &code);

// The values a printed page carries into the register: those of the boxes
// Text1, Text2, Text3 (the left half's name) and Text12 (the registration
// number), lines 1, 2, 3 and 12 of 1.txt, as printed.
struct PrintedPage {
    QString surname, name, patronymic, registration;
};
PrintedPage printedPage(const std::vector<page::FieldContent> &fields);

struct Entry {
    qint64 id = 0; // the entry's number, in the order entries were made
    BlankNumber blank;
    QDateTime recorded;
    PrintedPage pupil;
    QString printer;
    int job = 0; // 0 for a blank written off unprinted
    State state = State::Issued;
    QString reason;
    QDateTime changed; // the last change of state; invalid when none
};

// Which entries to show: dates of recording (inclusive; invalid = open), one
// state or all, and a text found in the name, the registration number or the blank.
struct Filter {
    QDate from, to;
    std::optional<State> state;
    QString search;
};

// Numbers of a series missing between its lowest and highest entry.
struct Gap {
    BlankNumber first, last;
};

class Register : public QObject
{
    Q_OBJECT
public:
    // An empty path: defaultPath() of the program directory at the first use.
    explicit Register(const QString &path = {}, QObject *parent = nullptr);
    ~Register() override;

    // data/register.sqlite of the program directory.
    static QString defaultPath();
    QString path() const { return m_path.isEmpty() ? defaultPath() : m_path; }

    // Opens the file, creating it on first use. A file that is no register
    // (damaged, or no database at all) is moved aside, never written, and a
    // new one is made; keptAside() says where it went. False and *error when
    // no register can be had (a later schema, a folder that cannot be written).
    bool use(QString *error = nullptr);
    bool isOpen() const { return m_open; }
    QString keptAside() const { return m_keptAside; }

    std::optional<BlankNumber> nextBlank() const;
    bool setNextBlank(const BlankNumber &blank, QString *error);

    // Whether count blanks from start are all still unrecorded.
    bool rangeFree(const BlankNumber &start, int count, QString *error) const;
    // The first of count blanks to print on (start, or else the next blank),
    // read together with rangeFree's check, so that another writer recording
    // in between cannot make them look taken. nullopt and *error when there
    // is no next blank or one of them is in the register.
    std::optional<BlankNumber> freeBlanks(const std::optional<BlankNumber> &start, int count, QString *error) const;

    // One transaction: an issued entry per page on consecutive blanks from
    // start (the stored next blank when none is given), and the next blank
    // moved past them. The blanks used; nullopt and *error when nothing was
    // recorded (no next blank, a blank already in the register).
    std::optional<std::vector<BlankNumber>> record(const std::vector<PrintedPage> &pages, const QString &printer,
                                                   int job, const std::optional<BlankNumber> &start, QString *error);

    // State changes; each is kept with its date in the entry's history.
    bool spoil(qint64 id, const QString &reason, QString *error);
    bool restore(qint64 id, QString *error); // a spoiled entry marked by mistake
    // A blank that never reached a printer (damaged, lost). The next blank
    // moves on when it is the one written off.
    bool writeOff(const BlankNumber &blank, const QString &reason, QString *error);

    int count(const Filter &filter = {}) const;
    // Oldest first; limit < 0: all from offset.
    std::vector<Entry> entries(const Filter &filter = {}, int offset = 0, int limit = -1) const;
    std::vector<Gap> gaps() const;

    struct Change {
        QDateTime at;
        State state;
        QString reason;
    };
    std::vector<Change> history(qint64 id) const;

    // PRAGMA integrity_check's answer ("ok").
    QString integrity() const;

signals:
    // After any change this object made.
    void changed();
    // An unreadable file was moved to `kept` and a new register begun.
    void movedAside(const QString &path, const QString &kept);

private:
    QSqlDatabase db() const;
    // start, or else the next blank; nullopt and *error when there is none.
    std::optional<BlankNumber> firstBlank(const std::optional<BlankNumber> &start, QString *error) const;
    // Checks the file and makes the tables a new one lacks; *unreadable when it is no register at all.
    bool create(QString *error, bool *unreadable);
    bool moveAside(QString *error);
    bool setState(qint64 id, State from, State to, const QString &reason, QString *error);

    QString m_path;
    QString m_connection;
    QString m_keptAside;
    bool m_open = false;
};

// The schema this program writes (PRAGMA user_version).
inline constexpr int SchemaVersion = 1;

} // namespace gravik::blanks
