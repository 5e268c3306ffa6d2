#include "app/DesktopMain.h"

#include "app/TorvaApp.h"

#include <QApplication>

namespace torva {

int RunDesktop(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TORVA_FEM"));
    QApplication::setOrganizationName(QStringLiteral("Local AppWizard-Generated Applications"));
    QApplication::setApplicationVersion(QStringLiteral(TORVA_VERSION));

    QStringList arguments = QApplication::arguments();
    arguments.removeFirst(); // the program
    CTorvaApp torvaApp;
    if (!torvaApp.InitInstance(arguments)) return 1;
    return app.exec();
}

} // namespace torva
