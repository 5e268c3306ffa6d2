#include "app/DesktopMain.h"

#include <QApplication>
#include <QMainWindow>

namespace torva {

int RunDesktop(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("TORVA_FEM"));
    window.resize(940, 691);
    window.show();
    return app.exec();
}

} // namespace torva
