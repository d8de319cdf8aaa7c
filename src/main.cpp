// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/app/schmainwindow.h"
#include "ui/app/startup.h"
#include "ui/app/toolkittranslation.h"

#include <QApplication>
#include <QDir>
#include <QIcon>

int main(int argc, char **argv)
{
    prepareProcess(); // before the application object opens the display connection
    QApplication app(argc, argv);
    installToolkitTranslation(app);
    QApplication::setApplicationVersion(QStringLiteral(QUANTAURA_VERSION));
    // Lets the desktop match the windows to the installed menu entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.quantaura.Quantaura"));
    // The window icon: the menu entry's artwork at every rendered size, built into the program.
    QIcon icon;
    const QDir icons(QStringLiteral(":/icons"));
    for (const QString &png : icons.entryList({QStringLiteral("*.png")}, QDir::Files))
        icon.addFile(icons.filePath(png));
    QApplication::setWindowIcon(icon);

    SchMainWindow window;
    window.show();
    return app.exec();
}
