#include "core/cp1251.h"
#include "core/twips.h"
#include "languagerig.h"

#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QtTest>

using namespace gravik;

namespace {

QList<QByteArray> fileLines(const QByteArray &bytes)
{
    QList<QByteArray> l = bytes.split('\n');
    if (!l.isEmpty() && l.last().isEmpty())
        l.removeLast();
    for (QByteArray &s : l)
        if (s.endsWith('\r'))
            s.chop(1);
    return l;
}

void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

} // namespace

// The translation editor window: its boxes, its file and its life.
class TranslationEditorTest : public QObject
{
    Q_OBJECT
private slots:
    void pairsShareARowRussianLeftKazakhRight()
    {
        for (int ru = 1; ru <= 57; ++ru) {
            const QRect r = TranslationEditor::boxTwips(ru);
            const QRect k = TranslationEditor::boxTwips(TranslationTable::kazakhLineOf(ru));
            QCOMPARE(k.top(), r.top());
            QCOMPARE(r.height(), 285);
            QVERIFY2((r.left() + r.width() <= 5760 && k.left() >= 5760) || (ru >= 53 && ru <= 56),
                     qPrintable(QString("line %1").arg(ru)));
        }
        // Boxes of one row do not cover each other; neighbours share at most a border (15 twips).
        for (int a = 1; a <= 114; ++a)
            for (int b = a + 1; b <= 114; ++b) {
                const QRect ra = TranslationEditor::boxTwips(a), rb = TranslationEditor::boxTwips(b);
                if (ra.top() == rb.top())
                    QVERIFY2(ra.left() + ra.width() <= rb.left() + 15 || rb.left() + rb.width() <= ra.left() + 15,
                             qPrintable(QString("%1 and %2").arg(a).arg(b)));
            }
        QCOMPARE(TranslationEditor::boxTwips(1), QRect(120, 120, 2775, 285));
        QCOMPARE(TranslationEditor::boxTwips(23), QRect(120, 4920, 2775, 285));
        QCOMPARE(TranslationEditor::boxTwips(52), QRect(2880, 4920, 2775, 285));
        QCOMPARE(TranslationEditor::boxTwips(57), QRect(120, 6600, 5535, 285));
        QCOMPARE(TranslationEditor::boxTwips(65), QRect(7680, 1320, 975, 285));
        QCOMPARE(TranslationEditor::boxTwips(94), QRect(10080, 2520, 1335, 285));
        QCOMPARE(TranslationEditor::boxTwips(108), QRect(2880, 8520, 2775, 285));
    }

    void boxesBelowTheClientAreaCanBeScrolledTo()
    {
        LanguageRig rig;
        auto *editor = static_cast<TranslationEditor *>(rig.registry.show(WindowKind::Lang));
        QVERIFY(QTest::qWaitForWindowExposed(editor));
        QScrollArea *scroll = editor->scrollArea();
        QCOMPARE(scroll->viewport()->height(), twips::toScreen(0, 0, 0, 7005).height());
        QCOMPARE(scroll->horizontalScrollBar()->maximum(), 0);
        for (int n : {53, 56, 105, 108}) {
            QLineEdit *box = editor->box(n);
            scroll->verticalScrollBar()->setValue(0);
            QVERIFY(!scroll->viewport()->rect().contains(box->geometry().translated(scroll->widget()->pos())));
            scroll->ensureWidgetVisible(box);
            const QRect inView(box->mapTo(scroll->viewport(), QPoint(0, 0)), box->size());
            QVERIFY2(scroll->viewport()->rect().contains(inView), qPrintable(QString("box %1").arg(n)));
        }
    }

    void fixedLinesAreDisabled()
    {
        LanguageRig rig;
        TranslationEditor editor(*rig.language);
        for (int n = 1; n <= 114; ++n)
            QCOMPARE(editor.box(n)->isEnabled(), !(n == 52 || n == 57 || n == 104 || n == 114));
        QCOMPARE(editor.box(57)->text(), QString::fromUtf8("Адрес: проект Gravik"));
        QCOMPARE(editor.findChild<QWidget *>("Line1")->geometry().left(), twips::toScreen(5760, 0, 0, 0).left());
    }

    void creationReadsBothFiles()
    {
        LanguageRig rig;
        rig.setLanguageFile("Kaz\r\n");
        rig.dir.setLine("data/languare.txt", 90, "\xC0\xF3\xE4\xE0\xF0\xEC\xE0\x9D"); // Аудармаќ
        auto *editor = rig.registry.get<TranslationEditor>(WindowKind::Lang);
        QCOMPARE(editor->box(90)->text(), QString::fromUtf8("Аудармаќ"));
        QCOMPARE(editor->windowTitle(), QString::fromUtf8("Аудармаќ"));
        QCOMPARE(editor->languageCode().text(), QString("Kaz"));
    }

    void closingWritesExactly114Lines()
    {
        LanguageRig rig;
        QList<QByteArray> lines = fileLines(rig.dir.read("data/languare.txt"));
        QByteArray bytes;
        for (const QByteArray &l : lines)
            bytes += l + "\r\n";
        lines[56] = "Our own address";        // a disabled box keeps what the file says
        lines[103] = "\xD2\xE5\xEB.";         // Тел.
        QByteArray withExtra;
        for (const QByteArray &l : lines)
            withExtra += l + "\r\n";
        withExtra += "line 115\r\nline 116\r\n";
        rig.dir.write("data/languare.txt", withExtra);

        auto *editor = static_cast<TranslationEditor *>(rig.registry.show(WindowKind::Lang));
        editor->box(1)->selectAll();
        typeText(editor->box(1), QString::fromUtf8("Қаріп"));
        QVERIFY(editor->close());
        flushDeletes();
        QVERIFY(!rig.editor());

        QList<QByteArray> saved = fileLines(rig.dir.read("data/languare.txt"));
        QCOMPARE(saved.size(), 114);
        QCOMPARE(saved.at(0), QByteArray("\x8D\xE0\xF0\xB3\xEF")); // typed Unicode, stored form
        QCOMPARE(saved.at(56), QByteArray("Our own address"));
        QCOMPARE(saved.at(103), QByteArray("\xD2\xE5\xEB."));
        QCOMPARE(saved.mid(1), lines.mid(1));
        QVERIFY(rig.dir.read("data/languare.txt").endsWith("\r\n"));

        // Created again from the file just written, and saved again unchanged.
        editor = rig.registry.get<TranslationEditor>(WindowKind::Lang);
        QCOMPARE(editor->box(1)->text(), QString::fromUtf8("Ќаріп"));
        const QByteArray once = rig.dir.read("data/languare.txt");
        QVERIFY(editor->close());
        QCOMPARE(rig.dir.read("data/languare.txt"), once);
    }

    void showingAgainKeepsUnsavedEdits()
    {
        LanguageRig rig;
        auto *editor = static_cast<TranslationEditor *>(rig.registry.show(WindowKind::Lang));
        editor->box(24)->setText("Edited");
        rig.dir.setLine("data/languare.txt", 24, "Changed on disk");
        QCOMPARE(rig.registry.show(WindowKind::Lang), editor);
        QCOMPARE(editor->box(24)->text(), QString("Edited"));
        QCOMPARE(editor->table().text(24), QString("Edited"));
    }

    void endOfProgramSavesNothing()
    {
        LanguageRig rig;
        const QByteArray before = rig.dir.read("data/languare.txt");
        rig.registry.show(WindowKind::Lang);
        rig.editor()->box(5)->setText("lost");
        rig.registry.destroyAll();
        QCOMPARE(rig.dir.read("data/languare.txt"), before);
    }

    void missingFileIsToldOnceAndWrittenWhole()
    {
        LanguageRig rig;
        QFile::remove(rig.dir.file("data/languare.txt"));
        auto *editor = rig.registry.get<TranslationEditor>(WindowKind::Lang);
        QCOMPARE(editor->table(), TranslationTable());
        QCOMPARE(rig.messages.size(), 1);
        QVERIFY(rig.messages.at(0).contains("languare.txt"));
        QVERIFY(editor->close());
        QCOMPARE(fileLines(rig.dir.read("data/languare.txt")).size(), 114);
        QCOMPARE(rig.messages.size(), 1);
    }

    void shortFileFillsTheRestFromTheBuiltInTable()
    {
        LanguageRig rig;
        const QList<QByteArray> lines = fileLines(rig.dir.read("data/languare.txt"));
        QByteArray first;
        for (int i = 0; i < 60; ++i)
            first += (i == 0 ? QByteArray("Font") : lines.at(i)) + "\r\n";
        rig.dir.write("data/languare.txt", first);
        auto *editor = rig.registry.get<TranslationEditor>(WindowKind::Lang);
        QCOMPARE(editor->box(1)->text(), QString("Font"));
        QCOMPARE(editor->box(94)->text(), QString::fromUtf8("Ќазаќ"));
        QCOMPARE(rig.messages.size(), 1);
        QVERIFY(rig.messages.at(0).contains("60"));
        QVERIFY(editor->close());
        const QList<QByteArray> saved = fileLines(rig.dir.read("data/languare.txt"));
        QCOMPARE(saved.size(), 114);
        QCOMPARE(saved.at(0), QByteArray("Font"));
        QCOMPARE(saved.mid(1), lines.mid(1));
    }

    void failedWriteKeepsTheWindowAndTheEdits()
    {
        LanguageRig rig;
        auto *editor = static_cast<TranslationEditor *>(rig.registry.show(WindowKind::Lang));
        editor->box(2)->setText("kept");
        QFile::remove(rig.dir.file("data/languare.txt"));
        QVERIFY(QDir().mkpath(rig.dir.file("data/languare.txt/blocked")));
        QVERIFY(!editor->close());
        QVERIFY(editor->isVisible());
        QCOMPARE(rig.messages.size(), 1);
        QVERIFY(rig.messages.at(0).contains("languare.txt"));
        QDir(rig.dir.file("data/languare.txt")).removeRecursively();
        QVERIFY(editor->close());
        QCOMPARE(fileLines(rig.dir.read("data/languare.txt")).at(1), QByteArray("kept"));
    }
};

QTEST_MAIN(TranslationEditorTest)
#include "test_editor.moc"
