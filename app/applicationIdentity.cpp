#include "app/applicationIdentity.h"

#include <QApplication>
#include <QImage>
#include <QImageReader>
#include <QPixmap>

#ifndef RZ_VERSION
#error "RZ_VERSION must name the program's version"
#endif

QIcon applicationIdentity::applicationIcon()
{
    // Read as PNG with format detection off: detection (also an icon made from file names)
    // loads every image-format plugin (SVG, JPEG, GIF, ICO and their libraries) to ask it
    // first, about half of what the start-up took beyond a bare dialog. Sizes up to 64 pixels:
    // the window manager is sent every size the icon has, and the desktop takes larger ones
    // from the installed theme.
    QIcon icon;
    for (const int size : {16, 32, 48, 64})
    {
        QImageReader reader(
            QStringLiteral(":/icons/%1x%1/%2.png").arg(size).arg(QLatin1String(desktopId)), "png");
        reader.setAutoDetectImageFormat(false);
        const QImage image = reader.read();
        if (!image.isNull())
        {
            icon.addPixmap(QPixmap::fromImage(image));
        }
    }
    return icon;
}

void applicationIdentity::apply()
{
    QApplication::setApplicationName(QStringLiteral("reZevavEvadurov"));
    QApplication::setApplicationVersion(QStringLiteral(RZ_VERSION));
    QApplication::setDesktopFileName(QLatin1String(desktopId));
    QApplication::setWindowIcon(applicationIcon());
}
