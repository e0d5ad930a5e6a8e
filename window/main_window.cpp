#include "main_window.h"

#include "dravix_version.h"
#include "draw_analysis.h"
#include "number_rules.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QDirIterator>
#include <QFontDatabase>
#include <QIcon>
#include <QImageReader>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>

#include <limits>

namespace {

const QString kTitle = QStringLiteral("Dravix");

// The layout is given in twips; 15 twips make one device-independent pixel.
constexpr int kTwipsPerPixel = 15;

QRect TwipsRect(int left, int top, int width, int height)
{
    return {left / kTwipsPerPixel, top / kTwipsPerPixel, width / kTwipsPerPixel,
            height / kTwipsPerPixel};
}

// A face asked for by its Windows name first, then by stand-ins with Simplified Chinese glyph
// forms: left to itself, font fallback may pick Japanese forms on a non-Chinese locale. Only
// installed families are named, because looking up a missing one costs more start-up time than
// loading a face. Han text needs no OpenType shaping, and skipping it spares reading the faces'
// large layout tables.
QFont ChineseFont(const QStringList& families, int pointSize, QFont::Weight weight)
{
    const QStringList installed = QFontDatabase::families();
    QStringList available;
    for (const QString& family : families) {
        if (installed.contains(family, Qt::CaseInsensitive))
            available << family;
    }
    QFont font;
    font.setFamilies(available.isEmpty() ? families : available);
    font.setPointSize(pointSize);
    font.setWeight(weight);
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

QFont SongFont(int pointSize)
{
    return ChineseFont({QStringLiteral("宋体"), QStringLiteral("SimSun"),
                        QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Source Han Serif SC"),
                        QStringLiteral("AR PL UMing CN"), QStringLiteral("Noto Sans CJK SC")},
                       pointSize, QFont::Normal);
}

QFont HeiFont()
{
    return ChineseFont({QStringLiteral("黑体"), QStringLiteral("SimHei"),
                        QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Source Han Sans SC"),
                        QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("WenQuanYi Micro Hei")},
                       12, QFont::Bold);
}

// Every size of the program's icon that the build embeds. They are PNG images, and saying so
// spares Qt from loading every image format plugin to find out.
QIcon ProgramIcon()
{
    QIcon icon;
    for (QDirIterator images(QStringLiteral(":/icons")); images.hasNext();) {
        QImageReader png(images.next(), "png");
        png.setAutoDetectImageFormat(false);
        icon.addPixmap(QPixmap::fromImage(png.read()));
    }
    return icon;
}

// Form1 is the application's main window; to a screen reader it is a window (a frame), not the
// filler that a plain widget would be.
QAccessibleInterface* AccessibleForm1(const QString& className, QObject* object)
{
    if (className != QLatin1String("Form1") || !object->isWidgetType())
        return nullptr;
    return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
}

QLineEdit* TextBox(QWidget* parent, const QString& name, const QString& accessibleName,
                   const QRect& geometry)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setAccessibleName(accessibleName);
    box->setGeometry(geometry);
    // Qt's default cap is 32767 characters; a pasted text is kept whole instead.
    box->setMaxLength(std::numeric_limits<int>::max());
    return box;
}

QPushButton* Button(QWidget* parent, const QString& name, const QString& caption,
                    const QRect& geometry)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setGeometry(geometry);
    // Enter presses a button that has the focus, as Space does; outside a dialog Qt would
    // otherwise ignore it. No button is the default, so Enter in a text box presses nothing.
    button->setAutoDefault(true);
    return button;
}

void ShowMessage(QWidget* parent, QMessageBox::Icon icon, const QString& text)
{
    QMessageBox box(icon, kTitle, text, QMessageBox::NoButton, parent);
    box.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
    box.exec();
    // Take the keyboard back from the closed box even where no window manager hands it back.
    if (parent != nullptr)
        parent->activateWindow();
}

} // namespace

Form1::Form1(QWidget* parent)
    : QWidget(parent), Label1(new QLabel(QStringLiteral("请输入3D号码："), this)),
      Text1(TextBox(this, QStringLiteral("Text1"), QStringLiteral("第一个号码"),
                    TwipsRect(2880, 240, 375, 375))),
      Text2(TextBox(this, QStringLiteral("Text2"), QStringLiteral("计算结果"),
                    TwipsRect(120, 1440, 5535, 615))),
      Text3(TextBox(this, QStringLiteral("Text3"), QStringLiteral("第二个号码"),
                    TwipsRect(3360, 240, 375, 375))),
      Text4(TextBox(this, QStringLiteral("Text4"), QStringLiteral("第三个号码"),
                    TwipsRect(3840, 240, 375, 375))),
      Command1(Button(this, QStringLiteral("Command1"), QStringLiteral("计算"),
                      TwipsRect(1320, 840, 975, 375))),
      Command2(Button(this, QStringLiteral("Command2"), QStringLiteral("清空"),
                      TwipsRect(3240, 840, 975, 375)))
{
    QAccessible::installFactory(AccessibleForm1);
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(kTitle);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(TwipsRect(0, 0, 5775, 2985).size());

    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setBuddy(Text1);
    Label1->setGeometry(TwipsRect(960, 360, 1815, 255));
    Label1->setFont(HeiFont());
    QPalette red = Label1->palette();
    red.setColor(QPalette::WindowText, QColor(255, 0, 0));
    Label1->setPalette(red);
    const QFont numberFont = SongFont(12);
    for (QLineEdit* box : {Text1, Text3, Text4})
        box->setFont(numberFont);

    setTabOrder(Text1, Command1);
    setTabOrder(Command1, Command2);
    setTabOrder(Command2, Text2);
    setTabOrder(Text2, Text3);
    setTabOrder(Text3, Text4);
    Text1->setFocus();

    ConnectHandler(Command1, &QPushButton::clicked, &Form1::Command1_Click);
    ConnectHandler(Command2, &QPushButton::clicked, &Form1::Command2_Click);
    ConnectHandler(Text1, &QLineEdit::textChanged, &Form1::Text1_Change);
    ConnectHandler(Text3, &QLineEdit::textChanged, &Form1::Text3_Change);
    ConnectHandler(Text4, &QLineEdit::textChanged, &Form1::Text4_Change);
}

// An exception must not cross Qt's event loop, so this is where a handler's failure is caught
// and reported; the window then goes on as it was.
template <typename Sender, typename Signal>
void Form1::ConnectHandler(Sender* sender, Signal signal, void (Form1::*handler)())
{
    connect(sender, signal, this, [this, handler] {
        try {
            (this->*handler)();
        } catch (...) {
            ReportError(this, std::current_exception());
        }
    });
}

void Form1::Command1_Click()
{
    const std::optional<std::string> line = draw::AnalyseDraw(
        Text1->text().toStdString(), Text3->text().toStdString(), Text4->text().toStdString());
    if (!line) {
        ShowMessage(this, QMessageBox::NoIcon, QStringLiteral("请输入开奖号码"));
        Text1->setFocus();
        return;
    }
    Text2->setText(QString::fromStdString(*line));
    // The line is read from its first label, however long it is.
    Text2->setCursorPosition(0);
}

// Assignments, not edits: each box's text is replaced and its undo history dropped, so a pasted
// text is not kept alive to be undone. An assignment that changes a text runs its handler at once.
void Form1::Command2_Click()
{
    Text1->setText(QString());
    Text2->setText(QString());
    Text3->setText(QString());
    Text4->setText(QString());
}

void Form1::Text1_Change()
{
    Text3->setFocus();
}

void Form1::Text3_Change()
{
    Text4->setFocus();
}

void Form1::Text4_Change()
{
    Command1->setFocus();
}

void SetUpApplication(QApplication& app)
{
    QApplication::setApplicationName(kTitle);
    QApplication::setApplicationVersion(QStringLiteral(DRAVIX_VERSION));
    QApplication::setDesktopFileName(QStringLiteral(DRAVIX_APP_ID));
    QApplication::setWindowIcon(ProgramIcon());

    auto* qtTexts = new QTranslator(&app);
    if (qtTexts->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                      QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(qtTexts);
    QApplication::setFont(SongFont(9));
}

void ReportError(QWidget* parent, const std::exception_ptr& error)
{
    QString text;
    try {
        std::rethrow_exception(error);
    } catch (const draw::OverflowError&) {
        text = QStringLiteral("运行时错误：溢出");
    } catch (const std::exception& other) {
        text = QStringLiteral("运行时错误：") + QString::fromUtf8(other.what());
    } catch (...) {
        text = QStringLiteral("运行时错误：未知错误");
    }
    ShowMessage(parent, QMessageBox::Critical, text);
}
