#pragma once

#include "language/languagecode.h"

#include <QWidget>

namespace gravik {

// The About window `Help`: the program's icon, name, description, version and
// the project's address, telephone, e-mail and name lines.
class AboutWindow : public QWidget
{
    Q_OBJECT
public:
    explicit AboutWindow(QWidget *parent = nullptr);

    // Reads data/lang.txt into the language code.
    void creationStep();

    LanguageCode &languageCode() { return m_language; }

    static inline const QString EMailLine = QStringLiteral("E-mail: info@example.org");
    static inline const QString MakerLine = QStringLiteral("Разработано участниками проекта Gravik");

private:
    LanguageCode m_language{this};
};

} // namespace gravik
