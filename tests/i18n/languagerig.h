#pragma once

#include "widgets/windowregistry.h"
#include "editor/certificatewindow.h"
#include "widgets/imagebutton.h"
#include "i18n/interfacelanguage.h"
#include "language/languagecode.h"
#include "widgets/notices.h"
#include "i18n/translationeditor.h"
#include "settings/aboutwindow.h"
#include "settings/settingswindow.h"
#include "support/dialoganswers.h"
#include "support/programfolder.h"
#include "support/mainwindow.h"

#include <QLabel>
#include <QTest>
#include <QStringList>
#include <QWidget>

// Types text as the keyboard does, one character a key (any letter, not only Latin-1).
inline void typeText(QWidget *w, const QString &text)
{
    for (QChar c : text)
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

// A window of another subsystem as the language application sees it: named
// controls and a language code read from data/lang.txt when it is created.
class StandIn : public QWidget
{
    Q_OBJECT
public:
    StandIn(const QString &name, const QStringList &controls)
    {
        setObjectName(name);
        for (const QString &c : controls) {
            auto *l = new QLabel(c, this);
            l->setObjectName(c);
        }
    }
    void creationStep()
    {
        if (const auto code = gravik::InterfaceLanguage::readStoredCode())
            this->code.setText(*code);
    }
    QString caption(const QString &control) const { return findChild<QLabel *>(control)->text(); }
    QString tip(const QString &control) const { return findChild<QLabel *>(control)->toolTip(); }

    gravik::LanguageCode code{this};
};

// The database window's part: the grid's worksheet cells.
class GridStandIn : public StandIn
{
    Q_OBJECT
public:
    using StandIn::StandIn;
    // Where the language puts the database's header cells.
    gravik::i18n::CellWriter writer()
    {
        return [this](const QString &a1Ref, const QString &text) {
            cells << a1Ref + "=" + text;
            return true;
        };
    }
    QStringList cells;
};

// A program folder, the main window and the language windows wired as the
// program wires them, with stand-ins for the database window and the print dialog.
struct LanguageRig {
    ProgramFolder dir;
    DialogAnswers answers;
    QStringList &messages = answers.messages;
    gravik::WindowRegistry registry;
    TestMainWindow main{[] { return QStringList{QStringLiteral("Arial")}; }};
    gravik::InterfaceLanguage *language = nullptr;

    LanguageRig()
    {
        gravik::notices::forgetFiles();
        using namespace gravik;
        registry.setMainWindow(&main);
        language = new InterfaceLanguage(registry, &registry);
        language->watch(&main, &main.languageCode());
        registry.add<TranslationEditor>(WindowKind::Lang, [this] { return new TranslationEditor(*language); });
        registerSettings(registry);
        registry.add<GridStandIn>(WindowKind::Baza, [] { return new GridStandIn("Baza", {"Image1", "Image2"}); });
        registry.add<StandIn>(WindowKind::Print, [] { return new StandIn("Print1", {"Label2", "Image1", "Image4"}); });
        language->setCellWriter([this](const QString &ref, const QString &text) {
            auto *grid = registry.existing<GridStandIn>(WindowKind::Baza);
            return grid && grid->writer()(ref, text);
        });
        main.setRegistry(&registry);
    }
    ~LanguageRig()
    {
        registry.destroyAll();
    }

    void setLanguageFile(const QByteArray &bytes) { dir.write("data/lang.txt", bytes); }

    template <class T> T *window(gravik::WindowKind kind) { return registry.existing<T>(kind); }
    gravik::TranslationEditor *editor() { return registry.existing<gravik::TranslationEditor>(gravik::WindowKind::Lang); }
    gravik::SettingsWindow *settings() { return registry.existing<gravik::SettingsWindow>(gravik::WindowKind::Settings); }
    gravik::AboutWindow *about() { return registry.existing<gravik::AboutWindow>(gravik::WindowKind::Help); }
};
