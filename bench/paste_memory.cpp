// Resident memory of Dravix around a 1 MiB paste into the first box and "清空", repeated: prints
// "before_kib=<n>" once, then "pasted_kib=<n> cleared_kib=<n>" for each of the cycles.
#include "main_window.h"
#include "resident_memory.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <cstdio>

namespace {

// What stays resident once the events that the last step posted have run.
long long SettledResidentKiB()
{
    QCoreApplication::processEvents();
    return ResidentKiB();
}

} // namespace

int main(int argc, char* argv[])
{
    constexpr int kCycles = 8;
    QApplication app(argc, argv);
    SetUpApplication(app);
    Form1 form;
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
        return 1;
    auto* const text1 = form.findChild<QLineEdit*>(QStringLiteral("Text1"));
    auto* const clear = form.findChild<QPushButton*>(QStringLiteral("Command2"));
    QGuiApplication::clipboard()->setText(QString(1 << 20, QLatin1Char('7')));

    std::printf("before_kib=%lld\n", SettledResidentKiB());
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        text1->setFocus();
        QTest::keyClick(text1, Qt::Key_V, Qt::ControlModifier);
        const long long pasted = SettledResidentKiB();
        clear->click();
        std::printf("pasted_kib=%lld cleared_kib=%lld\n", pasted, SettledResidentKiB());
    }
    return text1->text().isEmpty() ? 0 : 1;
}
