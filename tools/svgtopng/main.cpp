// svgtopng SIZE OUTDIR FILE.svg...: each picture at SIZE and twice SIZE
// pixels, as OUTDIR/NAME.png and OUTDIR/NAME@2x.png.
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int size = args.value(1).toInt();
    if (args.size() < 4 || size <= 0) {
        std::fprintf(stderr, "usage: svgtopng SIZE OUTDIR FILE.svg...\n");
        return 2;
    }
    for (const QString &file : args.mid(3)) {
        QSvgRenderer svg(file);
        if (!svg.isValid()) {
            std::fprintf(stderr, "%s: not a picture\n", qPrintable(file));
            return 1;
        }
        for (const auto &[scale, suffix] : {std::pair{1, ""}, std::pair{2, "@2x"}}) {
            QImage image(size * scale, size * scale, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            QPainter p(&image);
            p.setRenderHint(QPainter::Antialiasing);
            svg.render(&p);
            p.end();
            const QString out = args[2] + QLatin1Char('/') + QFileInfo(file).completeBaseName() + suffix + ".png";
            if (!image.save(out)) {
                std::fprintf(stderr, "%s: cannot write\n", qPrintable(out));
                return 1;
            }
        }
    }
    return 0;
}
