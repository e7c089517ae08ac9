// Program entry: the classic look, the one window, the message loop.
#include "app/application.h"
#include "app/frm_module.h"
#include "app/look.h"
#include "res/pictures.h"

#include <QScreen>

#include <exception>

int main(int argc, char** argv) {
    // The program takes no arguments: Qt sees only the program name.
    static int qtArgc = 1;
    static char* qtArgv[] = {argc > 0 ? argv[0] : const_cast<char*>("qx530config"), nullptr};

    QxApplication app(qtArgc, qtArgv);
    try {
        QApplication::setApplicationName(QStringLiteral("VELDO QX530RM-V3 Config"));
        QApplication::setWindowIcon(windowIconPicture());
        applyClassicLook(app);

        TfrmModule window;   // lays out the controls and runs FormCreate
        frmModule = &window;
        if (QScreen* screen = QGuiApplication::primaryScreen())
            window.move(screen->availableGeometry().center() - window.rect().center());
        window.show();
        QApplication::exec();
        frmModule = nullptr;
    } catch (const std::exception& e) {
        frmModule = nullptr;
        showException(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        frmModule = nullptr;
        showException(QStringLiteral("Unknown exception."));
    }
    return 0;
}
