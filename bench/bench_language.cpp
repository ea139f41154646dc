// The interface language: reading and writing the translation table, building
// the translation editor, and a language switch reaching every window.
#include "widgets/windowregistry.h"
#include "app/windows.h"
#include "editor/certificatewindow.h"
#include "language/languagecode.h"
#include "widgets/notices.h"
#include "i18n/translationeditor.h"
#include "language/translationtable.h"
#include "settings/settingswindow.h"
#include "support/dialoganswers.h"
#include "support/programfolder.h"
#include "support/mainwindow.h"
#include "support/startprogram.h"
#include "i18n/interfacelanguage.h"

#include <QApplication>

#include <benchmark/benchmark.h>

using namespace gravik;

namespace {

void tableLoadAndSave(benchmark::State &state)
{
    ProgramFolder folder;
    const QString path = TranslationTable::defaultPath();
    for (auto _ : state) {
        const TranslationTable t = TranslationTable::load(path);
        t.save(path); // atomic replace, synced before the rename
    }
}
BENCHMARK(tableLoadAndSave)->Unit(benchmark::kMicrosecond);

void editorCreated(benchmark::State &state)
{
    ProgramFolder folder;
    WindowRegistry registry;
    InterfaceLanguage language(registry);
    for (auto _ : state) {
        auto *w = new TranslationEditor(language);
        w->creationStep();
        state.PauseTiming();
        delete w;
        state.ResumeTiming();
    }
}
BENCHMARK(editorCreated)->Unit(benchmark::kMillisecond);

// The settings window switching between the two languages: all windows, the
// ones not open created on the first switch.
void switchAllWindows(benchmark::State &state)
{
    ProgramFolder folder;
    DialogAnswers answers;
    TestProgram program;
    QString error;
    program.main.startUp(&error);
    program.main.finishStartUp();
    auto *settings = program.registry.get<SettingsWindow>(WindowKind::Settings);
    bool kazakh = false;
    for (auto _ : state) {
        kazakh = !kazakh;
        settings->languageCode().setText(kazakh ? LanguageCode::Kazakh : LanguageCode::Russian);
    }
    program.registry.destroyAll();
}
BENCHMARK(switchAllWindows)->Unit(benchmark::kMicrosecond);

} // namespace
