#pragma once

#include "core/coordinatetable.h"
#include "core/statefile.h"

#include <QFont>
#include <QObject>
#include <QString>

#include <array>
#include <optional>

namespace gravik {

// One certificate as the operator has it: the 29 values, the positions, the
// page font and the letter option. A plain value, copied freely (a class
// print makes one per pupil).
class Certificate
{
public:
    static constexpr int ValueCount = 29;

    // The font as its three boxes show it (and 1.txt stores it), apart from
    // what is applied to the fields: typing into a box changes only the text.
    struct FontTexts {
        QString name, style, size;
    };

    Certificate();

    // Values by input box name ("Text1" ... "Text31"); an unknown name reads
    // empty and writes nothing.
    QString value(const QString &box) const;
    bool setValue(const QString &box, const QString &text);

    const CoordinateTable &coordinates() const { return m_table; }
    CoordinateTable &coordinates() { return m_table; }

    FontTexts fontTexts;
    QFont font; // applied to all 33 fields
    bool letters = false;

    // What field N shows: its input box, the field it mirrors, or the letter
    // option ("а" when ticked).
    QString fieldText(int number) const;

    // The font applied from its box texts; a text that is no style, or no
    // positive size, leaves that part as it was.
    void applyFontName();
    void applyStyle();
    void applySize();

    StateFile toState() const;
    // Values, font texts and positions from the file; the font is applied.
    static Certificate fromState(const StateFile &state);

private:
    std::array<QString, ValueCount> m_values; // in state-file order
    CoordinateTable m_table;
};

// The certificate no window owns; the main window and its preview view it.
// Every change says what changed, so views update only that.
class CertificateDocument : public QObject
{
    Q_OBJECT
public:
    explicit CertificateDocument(QObject *parent = nullptr);

    const Certificate &certificate() const { return m_cert; }
    QString value(const QString &box) const { return m_cert.value(box); }
    const CoordinateTable &coordinates() const { return m_cert.coordinates(); }
    QString fieldText(int number) const { return m_cert.fieldText(number); }
    QFont font() const { return m_cert.font; }
    const Certificate::FontTexts &fontTexts() const { return m_cert.fontTexts; }
    bool letters() const { return m_cert.letters; }

    void setValue(const QString &box, const QString &text);
    void setCoordinate(int entry, const QString &text);
    void setCoordinates(const CoordinateTable &table);
    void setFontNameText(const QString &text);
    void setStyleText(const QString &text);
    void setSizeText(const QString &text);
    void applyFontName();
    void applyStyle();
    void applySize();
    void setLetters(bool ticked);

    // The whole certificate at once (1.txt read at start-up, a pupil chosen).
    void replace(const Certificate &c);

    // 1.txt of the program directory.
    bool load(const QString &path, StateFile::Error *error);
    bool save(const QString &path, QString *error) const;

signals:
    void valueChanged(const QString &box, const QString &text);
    void fieldTextChanged(int number, const QString &text);
    void fieldMoved(int number);
    void fontChanged(const QFont &font);
    void fontTextsChanged();

private:
    void setFont(const QFont &f);

    Certificate m_cert;
};

} // namespace gravik
