// Shows the demo form; with a file name, saves a picture of it after the first paint and exits.
#include <QApplication>
#include <QTimer>

#include "demo_form.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setStyle("Fusion");
    auto& form = velt::ui::forms::get<velt::ui::demo::frmDemo>();
    form.Show();
    if (argc > 1) {
        QString file = argv[1];
        QTimer::singleShot(800, [&form, file] {
            form.window()->grab().save(file);
            velt::ui::forms::releaseAll();
            QApplication::quit();
        });
    }
    int status = app.exec();
    velt::ui::forms::releaseAll();
    return status;
}
