#include "i18n/interfacelanguage.h"
#include "core/controlnames.h"

#include "database/studentdatabase.h"
#include "language/languagecode.h"
#include "language/languagefile.h"
#include "widgets/notices.h"
#include "i18n/translationeditor.h"

#include <QPointer>
#include <QRadioButton>
#include <QWidget>

namespace gravik {

InterfaceLanguage::InterfaceLanguage(WindowRegistry &registry, QObject *parent)
    : QObject(parent), m_registry(registry)
{
    connect(&registry, &WindowRegistry::registered, this, &InterfaceLanguage::onRegistered);
}

void InterfaceLanguage::watch(QWidget *window, LanguageCode *code)
{
    QPointer<QWidget> w(window);
    connect(code, &LanguageCode::changed, this, [this, w](const QString &c) {
        if (w)
            applyOwn(w, c);
    });
}

void InterfaceLanguage::attachDatabase(StudentDatabase &db)
{
    setCellWriter([&db](const QString &ref, const QString &text) { return db.writeHeaderCell(ref, text); });
    connect(&db, &StudentDatabase::loaded, this, [this] {
        if (m_registry.existing(WindowKind::Baza))
            return; // the window's own code puts them on
        const auto code = languagefile::read(languagefile::defaultPath());
        if (code && (*code == LanguageCode::Russian || *code == LanguageCode::Kazakh))
            i18n::applyCells(QString::fromLatin1(names::DatabaseWindow), *code, table(), m_cells);
    });
}

void InterfaceLanguage::onRegistered(WindowKind kind, QWidget *window)
{
    auto *code = window->findChild<LanguageCode *>(QString(), Qt::FindDirectChildrenOnly);
    if (!code)
        return;
    if (kind != WindowKind::Settings) {
        watch(window, code);
        return;
    }
    connect(code, &LanguageCode::changed, this, [this, code] { applyAll(*code); });
}

const TranslationTable &InterfaceLanguage::table()
{
    if (!m_strings.isInUse())
        m_strings.take(readStoredTable());
    return m_strings.table();
}

void InterfaceLanguage::applyOwn(QWidget *window, const QString &code)
{
    ++m_applications;
    applyRows(window, code);
}

void InterfaceLanguage::applyRows(QWidget *window, const QString &code)
{
    // A code that selects nothing needs no strings, so no editor is created for it.
    if (!window || (code != LanguageCode::Russian && code != LanguageCode::Kazakh))
        return;
    i18n::applyToWindow(window, code, table(), m_cells);
    // The window's own captions outside the table follow too.
    if (auto *own = window->findChild<LanguageCode *>(QString(), Qt::FindDirectChildrenOnly))
        own->setShown(code);
}

void InterfaceLanguage::applyAll(const LanguageCode &source)
{
    ++m_applications;
    QPointer<QWidget> settings = qobject_cast<QWidget *>(source.parent());
    if (settings && source.isRussian())
        selectOption(settings, names::RussianOption);

    applyRows(m_registry.mainWindow(), source.text());
    for (WindowKind kind : {WindowKind::Baza, WindowKind::Help, WindowKind::Lang, WindowKind::Settings,
                            WindowKind::Print})
        if (QWidget *w = m_registry.get(kind))
            applyRows(w, source.text());

    if (settings && source.isKazakh())
        selectOption(settings, names::KazakhOption);
}

void InterfaceLanguage::selectOption(QWidget *settings, const char *option)
{
    // Selecting writes the same code back into the settings window, which is no change.
    if (auto *b = settings->findChild<QRadioButton *>(QString::fromLatin1(option)))
        b->setChecked(true);
}

std::optional<QString> InterfaceLanguage::readStoredCode()
{
    const QString path = languagefile::defaultPath();
    QString problem;
    auto code = languagefile::read(path, &problem);
    if (!code)
        notices::fileProblem(path, problem);
    return code;
}

TranslationTable InterfaceLanguage::readStoredTable()
{
    const QString path = TranslationTable::defaultPath();
    QString problem;
    TranslationTable t = TranslationTable::load(path, &problem);
    if (!problem.isEmpty())
        notices::fileProblem(path, problem);
    return t;
}

InterfaceLanguage *registerLanguage(WindowRegistry &registry, QWidget &main, LanguageCode &mainCode,
                                    StudentDatabase &db, ProgramSteps &steps)
{
    auto *language = new InterfaceLanguage(registry, &registry);
    language->watch(&main, &mainCode);
    language->attachDatabase(db);
    registry.add<TranslationEditor>(WindowKind::Lang, [language] { return new TranslationEditor(*language); });
    steps.readLanguage = [&mainCode] {
        if (const auto code = InterfaceLanguage::readStoredCode())
            mainCode.setText(*code);
    };
    return language;
}

} // namespace gravik
