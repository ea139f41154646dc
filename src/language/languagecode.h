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
    }

    bool isRussian() const { return m_text == Russian; }
    bool isKazakh() const { return m_text == Kazakh; }

signals:
    void changed(const QString &code);

private:
    QString m_text;
    bool m_set = false; // the first code always counts as a change
};

} // namespace gravik
