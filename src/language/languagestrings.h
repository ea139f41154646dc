#pragma once

#include "language/translationtable.h"

#include <QObject>

namespace gravik {

// The 114 interface strings every application of the language reads. The
// translation editor edits them in place, so unsaved edits show at once.
// Like the editor's boxes they stand for, they are read from
// data/languare.txt on their first use and again on the first use after the
// editor was closed.
class LanguageStrings : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    const TranslationTable &table() const { return m_table; }
    bool isInUse() const { return m_inUse; }

    // Takes the strings as read; from now on they are in use.
    void take(const TranslationTable &table)
    {
        m_table = table;
        m_inUse = true;
    }
    void setText(int n, const QString &text) { m_table.setText(n, text); }
    // The editor is gone: the next use reads the file again.
    void close() { m_inUse = false; }

private:
    TranslationTable m_table;
    bool m_inUse = false;
};

} // namespace gravik
