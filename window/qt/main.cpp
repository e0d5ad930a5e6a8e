#include "main_window.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    try {
        SetUpApplication(app);
        Form1 form;
        form.show();
        return QApplication::exec();
    } catch (...) {
        ReportError(nullptr, std::current_exception());
        return 1;
    }
}
