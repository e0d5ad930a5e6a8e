#include "main_window.h"

#include "box_accessible.h"
#include "dravix_version.h"
#include "draw_analysis.h"
#include "form_design.h"

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
#include <QValidator>

#include <algorithm>
#include <array>
#include <limits>
#include <string_view>

namespace {

QString Text(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// Qt lays out in device-independent pixels, 96 to the inch, and scales them to the screen itself.
QRect PixelRect(const design::Twips& place)
{
    constexpr int kTwipsPerPixel = design::kTwipsPerInch / 96;
    return {place.left / kTwipsPerPixel, place.top / kTwipsPerPixel, place.width / kTwipsPerPixel,
            place.height / kTwipsPerPixel};
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

QFont ChineseFont(const design::Font& font)
{
    const QStringList families = font.face == design::Face::Song
                                     ? QStringList{Text(design::kSongFace),
                                                   QStringLiteral("SimSun"),
                                                   QStringLiteral("Noto Serif CJK SC"),
                                                   QStringLiteral("Source Han Serif SC"),
                                                   QStringLiteral("AR PL UMing CN"),
                                                   QStringLiteral("Noto Sans CJK SC")}
                                     : QStringList{Text(design::kHeiFace),
                                                   QStringLiteral("SimHei"),
                                                   QStringLiteral("Noto Sans CJK SC"),
                                                   QStringLiteral("Source Han Sans SC"),
                                                   QStringLiteral("WenQuanYi Zen Hei"),
                                                   QStringLiteral("WenQuanYi Micro Hei")};
    return ChineseFont(families, font.points, font.bold ? QFont::Bold : QFont::Normal);
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

#if QT_VERSION < QT_VERSION_CHECK(6, 8, 0)
// Qt before 6.8 has no announcement, and it tells a screen reader a changed name or description
// without the new text, so Orca speaks neither. It speaks a notification as it is shown: the report
// line goes out as one, a child of Form1 of no size, never drawn, shown anew for each line.
constexpr QLatin1String kReportNotice("ReportNotice");
#endif

// Form1 is the application's main window; to a screen reader it is a window (a frame), not the
// filler that a plain widget would be. Its text boxes answer with their whole text.
QAccessibleInterface* AccessibleForm1(const QString& className, QObject* object)
{
    if (className == QLatin1String("QLineEdit"))
        return new BoxAccessible(static_cast<QLineEdit*>(object));
#if QT_VERSION < QT_VERSION_CHECK(6, 8, 0)
    if (className == QLatin1String("QWidget") && object->objectName() == kReportNotice)
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Notification);
#endif
    if (className != QLatin1String("Form1") || !object->isWidgetType())
        return nullptr;
    return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
}

template <typename Widget> Widget* Place(Widget* widget, const design::Control& control)
{
    widget->setObjectName(Text(control.name));
    widget->setGeometry(PixelRect(control.place));
    return widget;
}

QLabel* Label(QWidget* parent, design::Id id)
{
    const design::Control& control = design::ControlOf(id);
    return Place(new QLabel(Text(control.caption), parent), control);
}

// A text box holds a single line. As in Windows' own text box, a pasted or dropped text goes in
// up to its first line feed, without a carriage return just before it, and as one edit, which
// Ctrl+Z takes back; one that starts with a line feed puts nothing in, so over a selection it
// deletes it. QLineEdit would keep the line breaks, hidden as spaces, and the box would read as a
// different number.
class SingleLine : public QValidator {
public:
    explicit SingleLine(QLineEdit* box) : QValidator(box) {}
    State validate(QString& text, int& cursor) const override
    {
        const qsizetype lineFeed = text.indexOf(u'\n');
        if (lineFeed < 0) {
            last_ = text;
            refused_ = false;
            return Acceptable;
        }
        // The box held no line feed before, so this one came in with the text that ends at the
        // cursor, in place of what the last text holds between the parts both share.
        const qsizetype after = text.size() - cursor;
        const qsizetype replacedEnd = last_.size() - after;
        const auto shared = std::mismatch(last_.cbegin(), last_.cend(), text.cbegin(), text.cend());
        const qsizetype start = std::min<qsizetype>(shared.second - text.cbegin(), replacedEnd);
        const bool pastedReturn = lineFeed > start && text[lineFeed - 1] == u'\r';
        const QString line = text.mid(start, (pastedReturn ? lineFeed - 1 : lineFeed) - start);
        // Were the text fixed here, QLineEdit would set it anew and drop its undo history. The
        // edit is refused instead, and the line put in as the box's own edit, once this one is
        // over. QLineEdit takes an edit back only after an accepted one, though: after a paste
        // that put nothing in, the text is fixed here after all.
        if (refused_) {
            text = text.left(start) + line + text.mid(cursor);
            cursor = static_cast<int>(start + line.size());
            last_ = text;
            refused_ = false;
            return Acceptable;
        }
        refused_ = true;
        if (line.isEmpty() && replacedEnd == start)
            return Invalid;
        auto* box = static_cast<QLineEdit*>(parent());
        QMetaObject::invokeMethod(
            box,
            [box, start, replacedEnd, line] {
                box->setSelection(static_cast<int>(start), static_cast<int>(replacedEnd - start));
                box->insert(line);
            },
            Qt::QueuedConnection);
        return Invalid;
    }

private:
    mutable QString last_;         // the text that the box holds
    mutable bool refused_ = false; // whether the last edit was refused
};

QLineEdit* TextBox(QWidget* parent, design::Id id)
{
    const design::Control& control = design::ControlOf(id);
    auto* box = Place(new QLineEdit(parent), control);
    box->setAccessibleName(Text(control.accessibleName));
    box->setAccessibleDescription(Text(control.accessibleDescription));
    // Qt's default cap is 32767 characters; a pasted text is kept whole instead.
    box->setMaxLength(std::numeric_limits<int>::max());
    box->setValidator(new SingleLine(box));
    return box;
}

QPushButton* Button(QWidget* parent, design::Id id)
{
    const design::Control& control = design::ControlOf(id);
    auto* button = Place(new QPushButton(Text(control.caption), parent), control);
    // Enter presses a button that has the focus, as Space does; outside a dialog Qt would
    // otherwise ignore it. No button is the default, so Enter in a text box presses nothing.
    button->setAutoDefault(true);
    return button;
}

void ShowMessage(QWidget* parent, QMessageBox::Icon icon, std::string_view text)
{
    QMessageBox box(icon, Text(design::kTitle), Text(text), QMessageBox::NoButton, parent);
    // Orca 48 reads a message box's labels of three words or more only, and a Chinese sentence is
    // one word to it; it reads the description. (Orca 43 then says the message twice.)
    box.setAccessibleDescription(Text(text));
    box.addButton(Text(design::kOk), QMessageBox::AcceptRole);
    box.exec();
    // Take the keyboard back from the closed box even where no window manager hands it back.
    if (parent != nullptr)
        parent->activateWindow();
}

} // namespace

// The members are declared, and so created, in the design's order, which makes Qt's tab order
// the design's.
Form1::Form1(QWidget* parent)
    : QWidget(parent), Label1(Label(this, design::Id::Label1)),
      Text1(TextBox(this, design::Id::Text1)), Command1(Button(this, design::Id::Command1)),
      Command2(Button(this, design::Id::Command2)), Text2(TextBox(this, design::Id::Text2)),
      Text3(TextBox(this, design::Id::Text3)), Text4(TextBox(this, design::Id::Text4))
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(Text(design::kTitle));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(PixelRect(design::kClientArea).size());

    // Each control's font as the design gives it; each of the three is made once.
    std::array<QFont, design::kFontRoles> fonts;
    std::transform(design::kFonts.begin(), design::kFonts.end(), fonts.begin(),
                   [](const design::Font& font) { return ChineseFont(font); });
    for (const design::Control& control : design::kControls)
        findChild<QWidget*>(Text(control.name))->setFont(fonts[control.font]);

#if QT_VERSION < QT_VERSION_CHECK(6, 8, 0)
    auto* notice = new QWidget(this);
    notice->setObjectName(kReportNotice);
    notice->setGeometry(0, 0, 0, 0);
    notice->hide();
#endif
    QPalette red = Label1->palette();
    const design::Rgb colour = design::kPromptColour;
    red.setColor(QPalette::WindowText, QColor(colour.red, colour.green, colour.blue));
    Label1->setPalette(red);
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
        ShowMessage(this, QMessageBox::NoIcon, design::kNotice);
        Text1->setFocus();
        return;
    }
    Text2->setText(QString::fromStdString(*line));
    // The line is read from its first label, however long it is.
    Text2->setCursorPosition(0);
    Announce(Text2->text());
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

// A screen reader follows the focus, which stays on Command1, and says nothing of a change in a box
// without it; so the report line is handed to it as well, to be said after what it is saying.
void Form1::Announce(const QString& line)
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    QAccessibleAnnouncementEvent announcement(Text2, line);
    announcement.setPoliteness(QAccessible::AnnouncementPoliteness::Polite);
    QAccessible::updateAccessibility(&announcement);
#else
    auto* notice = findChild<QWidget*>(kReportNotice);
    notice->hide();
    notice->setAccessibleName(line);
    notice->show();
#endif
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
    QApplication::setApplicationName(Text(design::kTitle));
    QApplication::setApplicationVersion(QStringLiteral(DRAVIX_VERSION));
    QApplication::setDesktopFileName(QStringLiteral(DRAVIX_APP_ID));
    QApplication::setWindowIcon(ProgramIcon());
    // Before any widget asks: Qt keeps the interface it first makes for a widget.
    QAccessible::installFactory(AccessibleForm1);

    auto* qtTexts = new QTranslator(&app);
    if (qtTexts->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                      QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(qtTexts);
    QApplication::setFont(ChineseFont(design::kFonts[design::kDefaultFont]));
}

void ReportError(QWidget* parent, const std::exception_ptr& error)
{
    ShowMessage(parent, QMessageBox::Critical, design::ErrorReport(error));
}
