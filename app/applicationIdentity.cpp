#include "app/applicationIdentity.h"

#include <QApplication>

#ifndef RZ_VERSION
#error "RZ_VERSION must name the program's version"
#endif

QIcon applicationIdentity::applicationIcon()
{
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128, 256})
    {
        icon.addFile(QStringLiteral(":/icons/%1x%1/%2.png").arg(size).arg(QLatin1String(desktopId)),
                     QSize(size, size));
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
