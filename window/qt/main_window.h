#pragma once

#include <QWidget>

#include <exception>

class QApplication;
class QLabel;
class QLineEdit;
class QPushButton;

// The calculator's one window: three boxes for the drawn numbers, Calculate and Clear, and the
// box that shows the report line. Typing in a number box moves the focus on to the next one.
class Form1 : public QWidget {
    Q_OBJECT

public:
    explicit Form1(QWidget* parent = nullptr);

private:
    void Command1_Click();
    void Command2_Click();
    void Text1_Change();
    void Text3_Change();
    void Text4_Change();
    void Announce(const QString& line);

    template <typename Sender, typename Signal>
    void ConnectHandler(Sender* sender, Signal signal, void (Form1::*handler)());

    QLabel* const Label1;
    QLineEdit* const Text1;
    QPushButton* const Command1;
    QPushButton* const Command2;
    QLineEdit* const Text2;
    QLineEdit* const Text3;
    QLineEdit* const Text4;
};

// Names the application with its version, desktop entry and icon, makes Form1 a window to a screen
// reader, makes Qt's own texts (standard buttons, context menus) Simplified Chinese, and makes the
// Song face the application's font, so every dialog and menu shows Simplified Chinese forms
// whatever the locale. Call it before any Form1 is made.
void SetUpApplication(QApplication& app);

// The application's general error report: a modal box that names the error.
void ReportError(QWidget* parent, const std::exception_ptr& error);
