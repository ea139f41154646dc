// gravik-print: the certificate, a pupil or a class to a PDF or a printer,
// without a window. Reads 1.txt, Baza.xml and data/printers.txt (the printers'
// own offsets) of the program directory; what goes to a printer is recorded
// in the register of blanks (data/register.sqlite), the only file it writes.
#include "core/printeroffsets.h"
#include "core/programdir.h"
#include "core/statefile.h"
#include "core/version.h"
#include "database/pupils.h"
#include "database/spreadsheetml.h"
#include "database/database.h"
#include "printing/printjob.h"
#include "register/issuing.h"
#include "register/registercsv.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTranslator>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <tuple>

using namespace gravik;

namespace {

enum Exit { Done = 0, BadFiles = 1, BadArguments = 2, NotPrinted = 3 };

void say(const QString &message)
{
    std::fprintf(stderr, "gravik-print: %s\n", qUtf8Printable(message));
}

int fail(Exit code, const QString &message)
{
    say(message);
    return code;
}

// The words Qt's parser puts into the help and its errors, in Russian.
class ParserWords : public QTranslator
{
public:
    bool isEmpty() const override { return false; }
    QString translate(const char *context, const char *source, const char *, int) const override
    {
        static const std::pair<const char *, const char *> words[] = {
            {"Usage: %1", "Запуск: %1"},
            {"[options]", "[параметры]"},
            {"Options:", "Параметры:"},
            {"Arguments:", "Аргументы:"},
            {"Unknown option '%1'.", "неизвестный параметр «%1»"},
            {"Unknown options: %1.", "неизвестные параметры: %1"},
            {"Missing value after '%1'.", "у параметра «%1» нет значения"},
            {"Unexpected value after '%1'.", "у параметра «%1» не бывает значения"},
        };
        if (qstrcmp(context, "QCommandLineParser") == 0)
            for (const auto &[english, russian] : words)
                if (qstrcmp(source, english) == 0)
                    return QString::fromUtf8(russian);
        return {};
    }
};

// The parser names an unknown option without its dashes; this names it as typed.
QString parseError(const QCommandLineParser &parser)
{
    const QStringList unknown = parser.unknownOptionNames();
    if (unknown.isEmpty())
        return parser.errorText();
    return QStringLiteral("неизвестный параметр «%1%2»").arg(unknown.first().size() > 1 ? "--" : "-", unknown.first());
}

// "--rows 5" or "--rows 3-30": the first and last row; nothing when it is neither.
std::optional<std::pair<int, int>> rowsOf(const QString &value)
{
    static const QRegularExpression range(QStringLiteral("^(\\d{1,7})(?:-(\\d{1,7}))?$"));
    const auto m = range.match(value);
    if (!m.hasMatch())
        return std::nullopt;
    const int first = m.captured(1).toInt();
    return std::pair(first, m.hasCaptured(2) ? m.captured(2).toInt() : first);
}

// Why rows first..last gave fewer pages than they are rows.
QString whyFewer(const Worksheet &sheet, int first, int last, int pages)
{
    const int lastPupil = pupils::lastPupilRow(sheet);
    if (lastPupil == 0)
        return QStringLiteral("в таблице нет ни одного ученика");
    QStringList why;
    if (last > lastPupil) {
        const int from = std::max(first, lastPupil + 1);
        QString past = QStringLiteral("последний ученик — в строке %1").arg(lastPupil);
        if (pages > 0)
            past += from == last ? QStringLiteral(", строка %1 пуста").arg(from)
                                 : QStringLiteral(", строки %1–%2 пусты").arg(from).arg(last);
        why << past;
    }
    if (const int empty = std::min(last, lastPupil) - first + 1 - pages; empty > 0)
        why << QStringLiteral("пустых строк среди учеников: %1").arg(empty);
    return why.join(QStringLiteral("; "));
}

QString noBlank()
{
    return QStringLiteral("не задан следующий бланк: укажите его серию и номер, например --blank \"ЖОБ 0012345\", "
                          "или задайте его в окне журнала бланков (для файла PDF бланк не нужен)");
}

} // namespace

int main(int argc, char *argv[])
{
    // No display: the pages are drawn all the same.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt's own notes about the session (in English, such as a missing
    // XDG_RUNTIME_DIR) tell the operator nothing about the pages.
    static const QtMessageHandler qtHandler = qInstallMessageHandler(nullptr);
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &context, const QString &message) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            qtHandler(type, context, message);
    });
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("gravik-print"));
    QCoreApplication::setApplicationVersion(QStringLiteral(GRAVIK_VERSION));
    ParserWords words;
    QCoreApplication::installTranslator(&words);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Печать аттестатов без окна: аттестат из 1.txt, ученик или класс из Baza.xml — "
                       "в файл PDF или одним заданием на принтер."));
    QCommandLineOption dir = programdir::dirOption();
    dir.setValueName(QStringLiteral("ПАПКА"));
    const QCommandLineOption pupil(QStringLiteral("pupil"),
                                   QStringLiteral("Ученик, чья строка списка («Фамилия Имя Отчество») равна ФИО."),
                                   QStringLiteral("ФИО"));
    const QCommandLineOption all(QStringLiteral("all"), QStringLiteral("Все ученики списка, по странице на каждого."));
    const QCommandLineOption rows(QStringLiteral("rows"),
                                  QStringLiteral("Строки таблицы: одна (5) или с первой по последнюю (3-30)."),
                                  QStringLiteral("СТРОКИ"));
    const QCommandLineOption pdf(QStringLiteral("pdf"), QStringLiteral("Записать страницы в файл PDF."),
                                 QStringLiteral("ФАЙЛ"));
    const QCommandLineOption printer(QStringLiteral("printer"),
                                     QStringLiteral("Отправить одно задание на эту очередь CUPS (по умолчанию — "
                                                    "на принтер по умолчанию)."),
                                     QStringLiteral("ОЧЕРЕДЬ"));
    const QCommandLineOption blank(QStringLiteral("blank"),
                                   QStringLiteral("Серия и номер бланка, на который ляжет первая страница, например "
                                                  "«ЖОБ 0012345»; запоминается как следующий бланк (по умолчанию — "
                                                  "следующий бланк журнала)."),
                                   QStringLiteral("СЕРИЯ НОМЕР"));
    const QCommandLineOption registerCsv(QStringLiteral("register-csv"),
                                         QStringLiteral("Записать журнал бланков в файл CSV и выйти."),
                                         QStringLiteral("ФАЙЛ"));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Показать эту справку."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Показать версию программы."));
    parser.addOptions({dir, pupil, all, rows, pdf, printer, blank, registerCsv, help, version});

    const QStringList args = QCoreApplication::arguments();
    if (!parser.parse(args))
        return fail(BadArguments, parseError(parser));
    // Written out, not shown: on Windows Qt would put them in a message box.
    if (parser.isSet(help)) {
        std::fputs(qUtf8Printable(parser.helpText()), stdout);
        return Done;
    }
    if (parser.isSet(version)) {
        std::printf("%s %s\n", qUtf8Printable(QCoreApplication::applicationName()),
                    qUtf8Printable(QCoreApplication::applicationVersion()));
        return Done;
    }
    if (!parser.positionalArguments().isEmpty())
        return fail(BadArguments, QStringLiteral("лишний аргумент «%1»").arg(parser.positionalArguments().first()));
    if (int(parser.isSet(pupil)) + int(parser.isSet(all)) + int(parser.isSet(rows)) > 1)
        return fail(BadArguments, QStringLiteral("можно указать только одно из --pupil, --all, --rows"));
    if (parser.isSet(pdf) && parser.isSet(printer))
        return fail(BadArguments, QStringLiteral("можно указать только одно из --pdf, --printer"));
    if (parser.isSet(pdf) && parser.isSet(blank))
        return fail(BadArguments, QStringLiteral("--blank не нужен с --pdf: файл PDF бланков не тратит"));
    std::optional<blanks::BlankNumber> firstBlank;
    if (parser.isSet(blank) && !(firstBlank = blanks::BlankNumber::parse(parser.value(blank))))
        return fail(BadArguments, QStringLiteral("--blank «%1»: нужны серия (буквы) и номер (цифры) бланка, "
                                                 "например --blank \"ЖОБ 0012345\"")
                                      .arg(parser.value(blank)));
    int first = 0, last = 0;
    if (parser.isSet(rows)) {
        const auto range = rowsOf(parser.value(rows));
        if (range)
            std::tie(first, last) = *range;
        if (!range || first < studentdb::FirstPupilRow || last < first)
            return fail(BadArguments, QStringLiteral("--rows %1: нужна строка ученика или строки с первой по "
                                                     "последнюю, например 5 или 3-30, от строки %2")
                                          .arg(parser.value(rows))
                                          .arg(studentdb::FirstPupilRow));
    }
    // The folder gravik would use; only read, so an installed copy's folder
    // is not filled here.
    programdir::setPath(programdir::choose(QCoreApplication::applicationDirPath(), parser.value(dir),
                                           QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
                            .dir);

    blanks::Register reg;
    QObject::connect(&reg, &blanks::Register::movedAside, [](const QString &path, const QString &kept) {
        std::fprintf(stderr, "gravik-print: журнал бланков %s не читается; он сохранён как %s, начат новый\n",
                     qUtf8Printable(QDir::toNativeSeparators(path)), qUtf8Printable(QDir::toNativeSeparators(kept)));
    });
    if (parser.isSet(registerCsv)) {
        const QString path = QDir(parser.value(registerCsv)).absolutePath();
        QString error;
        if (!reg.use(&error))
            return fail(BadFiles, error);
        const auto entries = reg.entries();
        if (!blanks::writeCsv(path, entries, &error))
            return fail(NotPrinted, error);
        std::printf("Записей: %d, файл %s\n", int(entries.size()), qUtf8Printable(QDir::toNativeSeparators(path)));
        return Done;
    }

    StateFile::Error stateError;
    const auto state = StateFile::load(programdir::file(QStringLiteral("1.txt")), &stateError);
    if (!state)
        return fail(BadFiles, stateError.message);
    const Certificate base = Certificate::fromState(*state);

    std::vector<pupils::StudentRecord> pages;
    QString note; // why there are fewer pages than asked for
    if (!parser.isSet(pupil) && !parser.isSet(all) && !parser.isSet(rows)) {
        pages.push_back(pupils::recordOf(base));
    } else {
        const QString bazaPath = programdir::file(QStringLiteral("Baza.xml"));
        spreadsheetml::Error bookError;
        const auto book = spreadsheetml::readFile(bazaPath, &bookError);
        if (!book)
            return fail(BadFiles, bookError.message);
        const Worksheet *sheet = book->active();
        if (!sheet)
            return fail(BadFiles, QStringLiteral("Файл %1: в книге нет листов").arg(QDir::toNativeSeparators(bazaPath)));
        if (parser.isSet(pupil)) {
            if (auto rec = pupils::find(*sheet, parser.value(pupil)))
                pages.push_back(std::move(*rec));
            else
                return fail(BadArguments, QStringLiteral("ученика «%1» нет в %2")
                                              .arg(parser.value(pupil), QDir::toNativeSeparators(bazaPath)));
        } else if (parser.isSet(all)) {
            pages = pupils::listedPupils(*sheet);
            if (pages.empty())
                return fail(BadArguments, QStringLiteral("в %1 нет учеников").arg(QDir::toNativeSeparators(bazaPath)));
        } else {
            pages = pupils::rowRange(*sheet, first, last);
            const int asked = last - first + 1;
            if (pages.empty())
                return fail(BadArguments, QStringLiteral("в %1 нет учеников в строках %2: %3")
                                              .arg(QDir::toNativeSeparators(bazaPath), parser.value(rows),
                                                   whyFewer(*sheet, first, last, 0)));
            if (int(pages.size()) < asked)
                note = QStringLiteral("--rows %1: страниц %2 на %3 строк: %4")
                           .arg(parser.value(rows))
                           .arg(pages.size())
                           .arg(asked)
                           .arg(whyFewer(*sheet, first, last, int(pages.size())));
        }
    }

    const auto write = pupils::classPages(base, pages);
    const int count = int(pages.size());
    if (parser.isSet(pdf)) {
        const QString path = QDir(parser.value(pdf)).absolutePath();
        QString error;
        if (!printing::writePages(path, printing::pdfSetup(), count, write, {}, &error))
            return fail(NotPrinted, error);
        if (!note.isEmpty())
            say(note);
        std::printf("Страниц: %d, файл %s\n", count, qUtf8Printable(QDir::toNativeSeparators(path)));
        return Done;
    }
    const QString who = (pages[0][0] + u' ' + pages[0][1] + u' ' + pages[0][2]).simplified();
    const QString title = count > 1      ? QStringLiteral("Аттестаты: %1").arg(count)
                          : who.isEmpty() ? QStringLiteral("Аттестат")
                                          : QStringLiteral("Аттестат: %1").arg(who);
    printeroffsets::setReporter(say);
    // Every page on a printer takes a numbered blank: which one must be known first.
    // Without a blank, a register that is not there yet is not made only to say so.
    QString error;
    if (!firstBlank && !QFileInfo::exists(reg.path()))
        return fail(BadArguments, noBlank());
    if (!reg.use(&error))
        return fail(BadFiles, error);
    if (!firstBlank && !reg.nextBlank())
        return fail(BadArguments, noBlank());
    const blanks::Issue issue = blanks::printOnBlanks(reg, blanks::classPages(base, pages), firstBlank, [&] {
        return printing::printPages(parser.value(printer), count, write, title);
    });
    const printing::Outcome &out = issue.out;
    if (!out.ok)
        return fail(NotPrinted, out.printer.isEmpty()
                                    ? QStringLiteral("страницы не напечатаны: %1").arg(out.error)
                                    : QStringLiteral("страницы не напечатаны на принтере «%1»: %2").arg(out.printer, out.error));
    if (!note.isEmpty())
        say(note);
    if (!issue.notRecorded.isEmpty())
        return fail(NotPrinted, QStringLiteral("задание %1 отправлено на принтер «%2», но не записано в журнал "
                                               "бланков: %3")
                                    .arg(out.job)
                                    .arg(out.printer, issue.notRecorded));
    std::printf("Страниц: %d, принтер %s, задание %d, %s %s\n", count, qUtf8Printable(out.printer), out.job,
                issue.blanks.size() == 1 ? "бланк" : "бланки", qUtf8Printable(blanks::blanksText(issue.blanks)));
    return Done;
}
