// Writes the program's icon into an icon theme folder at the usual sizes,
// from the same drawing code as the window icon, so the desktop shows what
// the window shows.
//
//   tovimark_icons OUTDIR SIZE...   ->  OUTDIR/SIZExSIZE/apps/tovimark.png

#include <cstdio>

#include <QDir>
#include <QGuiApplication>
#include <QImage>

#include "app/Artwork.h"

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: tovimark_icons OUTDIR SIZE...\n");
        return 2;
    }
    QGuiApplication application(argc, argv);
    const QString root = QString::fromLocal8Bit(argv[1]);
    for (int i = 2; i < argc; ++i) {
        bool ok = false;
        const int side = QByteArray(argv[i]).toInt(&ok);
        if (!ok || side < 1 || side > 1024) {
            std::fprintf(stderr, "tovimark_icons: %s is no icon size\n", argv[i]);
            return 2;
        }
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(root).arg(side);
        const QString file = folder + QStringLiteral("/tovimark.png");
        if (!QDir().mkpath(folder) || !app::artwork::iconImage(side).save(file, "PNG")) {
            std::fprintf(stderr, "tovimark_icons: could not write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
