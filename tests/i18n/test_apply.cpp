#include "language/applicationtable.h"
#include "i18n/languageapplier.h"
#include "languagerig.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QtTest>

using namespace gravik;

namespace {

// Everything the application can touch on a window: title, captions, tooltips.
QStringList snapshot(QWidget *w)
{
    QStringList out{w->windowTitle()};
    for (QWidget *c : w->findChildren<QWidget *>()) {
        QString caption;
        if (auto *l = qobject_cast<QLabel *>(c))
            caption = l->text();
        else if (auto *b = qobject_cast<QAbstractButton *>(c))
            caption = b->text();
        else if (auto *g = qobject_cast<QGroupBox *>(c))
            caption = g->title();
        out << c->objectName() + "|" + caption + "|" + c->toolTip();
    }
    return out;
}

QString captionOf(QWidget *c)
{
    if (auto *l = qobject_cast<QLabel *>(c))
        return l->text();
    if (auto *b = qobject_cast<QAbstractButton *>(c))
        return b->text();
    if (auto *g = qobject_cast<QGroupBox *>(c))
        return g->title();
    return "<no caption>";
}

} // namespace

// One window's own application of the language.
class ApplyLanguageTest : public QObject
{
    Q_OBJECT
private slots:
    void kazakhCaptionsOnTheMainWindow()
    {
        LanguageRig rig;
        rig.main.languageCode().setText("Kaz");
        QCOMPARE(rig.main.windowTitle(), QString::fromUtf8("Мектеп аттестат"));
        QCOMPARE(rig.main.findChild<QLabel *>("Label51")->text(), QString::fromUtf8("Ќаріп"));
        QCOMPARE(rig.main.button("Image5")->toolTip(), QString::fromUtf8("Басып шыєаруєа жіберіѕіз"));
        QCOMPARE(rig.main.findChild<QCheckBox *>("Check1")->text(), QString::fromUtf8("А јрпін ќосыѕыз"));
        auto *surname = rig.main.findChild<QLabel *>("Label35");
        QCOMPARE(surname->text(), QString::fromUtf8("Т"));
        QCOMPARE(surname->toolTip(), QString::fromUtf8("Тегі"));
        QCOMPARE(rig.main.findChild<QLabel *>("Label49")->text(), QString::fromUtf8("Елді мекен"));
        // The strings were read from the file; no window was needed for them.
        QVERIFY(rig.language->strings().isInUse());
        QVERIFY(!rig.editor());
        QVERIFY(rig.messages.isEmpty());

        rig.main.languageCode().setText("Rus");
        QCOMPARE(rig.main.windowTitle(), QString::fromUtf8("Школьный аттестат"));
        QCOMPARE(rig.main.findChild<QLabel *>("Label50")->text(), QString::fromUtf8("Выберите ученика"));
    }

    void everyRowReachesItsControl()
    {
        LanguageRig rig;
        rig.setLanguageFile("Kaz\r\n");
        QWidget *windows[] = {&rig.main, rig.registry.get(WindowKind::Help), rig.registry.get(WindowKind::Lang),
                              rig.registry.get(WindowKind::Settings)};
        const TranslationTable &table = rig.language->table();
        for (QWidget *w : windows) {
            i18n::applyToWindow(w, "Kaz", table);
            for (const i18n::ApplicationRow &r : i18n::rowsOf(w->objectName())) {
                const QString want = table.text(r.kazakhLine) + r.suffix;
                const QString where = w->objectName() + "/" + r.control;
                if (r.target == i18n::Target::Title) {
                    QCOMPARE(w->windowTitle(), want);
                    continue;
                }
                QWidget *c = i18n::findControl(w, r.control);
                QVERIFY2(c, qPrintable(where + " is missing"));
                const QString got = r.target == i18n::Target::Caption ? captionOf(c) : c->toolTip();
                QVERIFY2(got == want, qPrintable(where + ": " + got));
            }
        }
    }

    void codesThatSelectNothing_data()
    {
        QTest::addColumn<QString>("code");
        QTest::newRow("lower case") << "kaz";
        QTest::newRow("trailing blank") << "Kaz ";
        QTest::newRow("empty") << "";
        QTest::newRow("box name") << "Text32";
    }
    void codesThatSelectNothing()
    {
        QFETCH(QString, code);
        LanguageRig rig;
        const QStringList built = snapshot(&rig.main);
        rig.main.languageCode().setText(code);
        QCOMPARE(snapshot(&rig.main), built);
        QVERIFY(!rig.language->strings().isInUse()); // no string was needed
        QVERIFY(rig.messages.isEmpty());
    }

    void gridHeaderCellsFollowTheLanguage()
    {
        LanguageRig rig;
        GridStandIn baza("Baza", {"Image1", "Image2"});
        QCOMPARE(i18n::applyToWindow(&baza, "Kaz", TranslationTable(), baza.writer()), 15);
        baza.cells.clear();
        rig.language->setCellWriter(baza.writer());
        rig.language->applyOwn(&baza, "Kaz");
        QCOMPARE(baza.cells.size(), 12);
        QCOMPARE(baza.cells.at(0), QString::fromUtf8("A1=Толыќ аты-жґні сол жаєында"));
        QCOMPARE(baza.cells.at(2), QString::fromUtf8("G1=Орыс жјне ќазаќ тілдеріндегі сынып жетекшісініѕ бас јріптері"));
        QCOMPARE(baza.cells.at(6), QString::fromUtf8("D2=Тегі"));
        QCOMPARE(baza.cells.at(11), QString::fromUtf8("I2=Тіркеу нґмірі"));
        QCOMPARE(baza.windowTitle(), QString::fromUtf8("Оќушылардыѕ мјліметтер базасы"));
        QCOMPARE(baza.tip("Image2"), QString::fromUtf8("Импорттау"));

        baza.cells.clear();
        rig.language->applyOwn(&baza, "Rus");
        QCOMPARE(baza.cells.at(1), QString::fromUtf8("D1=ФИО правая сторона"));
        QCOMPARE(baza.cells.at(9), QString::fromUtf8("G2=Классный руководитель левая сторона"));
    }

    void windowWithoutGridIsLeftQuietly()
    {
        LanguageRig rig;
        StandIn baza("Baza", {"Image1"});
        QTest::failOnWarning(QRegularExpression(".*"));
        // The title and the one tooltip are set, the twelve cells have nowhere to go.
        QCOMPARE(i18n::applyToWindow(&baza, "Rus", TranslationTable()), 2);
        QCOMPARE(baza.tip("Image1"), QString::fromUtf8("Сохранить"));
    }

    void unsavedEditsAreWhatTheNextApplicationShows()
    {
        LanguageRig rig;
        rig.main.languageCode().setText("Kaz");
        const QByteArray file = rig.dir.read("data/languare.txt");
        QLineEdit *box = rig.registry.get<TranslationEditor>(WindowKind::Lang)->box(24);
        box->selectAll();
        typeText(box, QString::fromUtf8("Аттестат"));
        rig.main.languageCode().setText("Rus");
        QCOMPARE(rig.main.windowTitle(), QString::fromUtf8("Аттестат"));
        QCOMPARE(rig.dir.read("data/languare.txt"), file);
    }

    void emptyLineGivesEmptyCaption()
    {
        LanguageRig rig;
        rig.dir.setLine("data/languare.txt", 1, "");
        rig.dir.setLine("data/languare.txt", 74, "");
        rig.main.languageCode().setText("Rus");
        QCOMPARE(rig.main.findChild<QLabel *>("Label51")->text(), QString());
        rig.main.languageCode().setText("Kaz");
        QCOMPARE(rig.main.button("Image5")->toolTip(), QString());
        QCOMPARE(rig.main.findChild<QLabel *>("Label51")->text(), QString::fromUtf8("Ќаріп"));
    }

    void missingTranslationFileKeepsBuiltInStrings()
    {
        LanguageRig rig;
        QFile::remove(rig.dir.file("data/languare.txt"));
        rig.main.languageCode().setText("Kaz");
        QCOMPARE(rig.main.windowTitle(), QString::fromUtf8("Мектеп аттестат"));
        QCOMPARE(rig.messages.size(), 1);
        QVERIFY(rig.messages.first().contains("languare.txt"));
        // Told once, however often the file is read in this run.
        rig.registry.get(WindowKind::Lang)->close();
        QFile::remove(rig.dir.file("data/languare.txt"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        rig.main.languageCode().setText("Rus");
        QCOMPARE(rig.messages.size(), 1);
    }

    void controlsOfChildWindowsAreNotTaken()
    {
        QWidget window;
        auto *inner = new QWidget(&window, Qt::Window);
        (new QLabel("inner", inner))->setObjectName("Label51");
        QVERIFY(!i18n::findControl(&window, "Label51"));
        auto *frame = new QWidget(&window);
        (new QLabel("own", frame))->setObjectName("Label51");
        QCOMPARE(qobject_cast<QLabel *>(i18n::findControl(&window, "Label51"))->text(), QString("own"));
    }
};

QTEST_MAIN(ApplyLanguageTest)
#include "test_apply.moc"
