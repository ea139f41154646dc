#include "app/commandline.h"

#include "core/programdir.h"
#include "core/version.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace gravik::commandline {
namespace {
void describe(QCommandLineParser &parser)
{
    QCoreApplication::setApplicationName(QStringLiteral("gravik"));
    QCoreApplication::setApplicationVersion(QStringLiteral(GRAVIK_VERSION));
    parser.setApplicationDescription(QStringLiteral("Печать аттестатов на бланке."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(programdir::dirOption());
}
} // namespace

void answerInfoOptions(int argc, char *argv[])
{
    QCoreApplication probe(argc, argv);
    QCommandLineParser parser;
    describe(parser);
    parser.parse(probe.arguments());
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();
}

std::optional<QString> programDirArgument()
{
    QCommandLineParser parser;
    describe(parser);
    if (parser.parse(QCoreApplication::arguments()) && parser.positionalArguments().isEmpty())
        return parser.value(programdir::dirOption());
    const QString what = parser.errorText().isEmpty()
                             ? QStringLiteral("Лишний аргумент: %1").arg(parser.positionalArguments().constFirst())
                             : parser.errorText();
    qCritical("%s\nСправка: gravik --help", qUtf8Printable(what));
    return std::nullopt;
}

} // namespace gravik::commandline
