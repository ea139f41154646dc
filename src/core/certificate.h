#pragma once

#include "core/certificatefields.h"
#include "core/coordinatetable.h"
#include "core/statefile.h"

#include <QFont>
#include <QObject>
#include <QString>
#include <QUndoStack>

#include <array>
#include <optional>

namespace gravik {

// One certificate as the operator has it: the 29 values, the positions, the
// page font and the letter option. A plain value, copied freely (a class
// print makes one per pupil).
class Certificate
{
public:
    // The font as its three boxes show it (and 1.txt stores it), apart from
    // what is applied to the fields: typing into a box changes only the text.
    struct FontTexts {
        QString name, style, size;
    };

    Certificate();

    QString value(Value v) const { return m_values[size_t(v)]; }
    // False when the value was already so.
    bool setValue(Value v, const QString &text);

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
    std::array<QString, ValueCount> m_values;
    CoordinateTable m_table;
};

// The certificate no window owns; the main window and its preview view it.
// Every change says what changed, so views update only that. The operator's
// moves and font choices are steps of its undo stack.
class CertificateDocument : public QObject
{
    Q_OBJECT
public:
    explicit CertificateDocument(QObject *parent = nullptr);

    const Certificate &certificate() const { return m_cert; }
    QString value(Value v) const { return m_cert.value(v); }
    const CoordinateTable &coordinates() const { return m_cert.coordinates(); }
    QString fieldText(int number) const { return m_cert.fieldText(number); }
    QFont font() const { return m_cert.font; }
    const Certificate::FontTexts &fontTexts() const { return m_cert.fontTexts; }
    bool letters() const { return m_cert.letters; }

    void setValue(Value v, const QString &text);
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

    QUndoStack &undoStack() { return m_undoStack; }

signals:
    void valueChanged(gravik::Value v, const QString &text);
    void fieldTextChanged(int number, const QString &text);
    void fieldMoved(int number);
    void fontChanged(const QFont &font);
    void fontTextsChanged();

private:
    void setFont(const QFont &f);

    Certificate m_cert;
    QUndoStack m_undoStack;
};

} // namespace gravik
