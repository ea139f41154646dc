#pragma once

#include "widgets/dialogs.h"

#include <QStringList>

// Answers every dialog the program asks and records what it was asked; the
// standard dialogs come back when it goes.
struct DialogAnswers {
    QStringList messages; // the texts told, in turn
    QStringList titles;   // and their titles
    QStringList asked;    // "title|text|yes,no" of each question
    QStringList files;    // what the file dialogs return, in turn; empty: none chosen
    bool answer = true;   // to every question
    QStringList texts;    // what text questions return, in turn; none left: cancelled
    QStringList prompts;  // "title|label|suggestion" of each text question
    std::function<bool(gravik::PagePreview &)> preview = [](gravik::PagePreview &) { return true; };

    DialogAnswers()
    {
        auto &d = gravik::Dialogs::current();
        d.message = [this](QWidget *, gravik::Dialogs::Icon, const QString &title, const QString &text) {
            titles << title;
            messages << text;
        };
        d.question = [this](QWidget *, const QString &title, const QString &text, const QString &yes,
                            const QString &no) {
            asked << title + '|' + text + '|' + yes + ',' + no;
            return answer;
        };
        d.openFile = d.saveFile = [this](QWidget *, const QString &, const QString &, const QString &) {
            return files.isEmpty() ? QString() : files.takeFirst();
        };
        d.text = [this](QWidget *, const QString &title, const QString &label,
                        const QString &suggested) -> std::optional<QString> {
            prompts << title + '|' + label + '|' + suggested;
            return texts.isEmpty() ? std::nullopt : std::optional<QString>(texts.takeFirst());
        };
        d.preview = [this](gravik::PagePreview &p) { return preview(p); };
    }
    ~DialogAnswers() { gravik::Dialogs::current() = gravik::Dialogs::standard(); }
    DialogAnswers(const DialogAnswers &) = delete;
    DialogAnswers &operator=(const DialogAnswers &) = delete;
};
