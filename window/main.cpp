#include "main_window.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    // Qt's own texts (context menus, standard buttons) in Simplified Chinese, whatever the locale.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                     QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    try {
        Form1 form;
        form.show();
        return QApplication::exec();
    } catch (...) {
        ReportError(nullptr, std::current_exception());
        return 1;
    }
}
