#pragma once

#include <QObject>
#include <QString>

namespace gravik {

// A window's current interface language: "Rus", "Kaz", or any other text, which
// selects nothing. Setting a different text notifies at once; an equal one does not.
class LanguageCode : public QObject
{
    Q_OBJECT
public:
    static inline const QString Russian = QStringLiteral("Rus");
    static inline const QString Kazakh = QStringLiteral("Kaz");

    using QObject::QObject;

    const QString &text() const { return m_text; }
    void setText(const QString &code)
    {
        if (code == m_text && m_set)
            return;
        m_set = true;
        m_text = code;
        emit changed(m_text);
        setShown(code);
    }

    bool isRussian() const { return m_text == Russian; }
    bool isKazakh() const { return m_text == Kazakh; }

    // The language the window's captions are in: its own code, or the one the
    // settings window put on every window since, which leaves the code as it
    // is. Russian, the built-in captions, until either names a language.
    // Captions the table does not hold follow this.
    const QString &shown() const { return m_shown; }
    void setShown(const QString &code)
    {
        if ((code == Russian || code == Kazakh) && code != m_shown) {
            m_shown = code;
            emit shownChanged(m_shown);
        }
    }

signals:
    void changed(const QString &code);
    void shownChanged(const QString &code);

private:
    QString m_text;
    QString m_shown = Russian;
    bool m_set = false; // the first code always counts as a change
};

} // namespace gravik
