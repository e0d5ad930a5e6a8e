#pragma once

#include <QAccessibleWidget>

class QLineEdit;

// What a screen reader is told of a text box, as Qt tells it of a QLineEdit (its text, caret and
// selection, read and set through the box's own editing), but with the whole text as one run of
// text attributes. Qt 6.4 answers each offset with an empty run, and Orca reads a line up to the
// end of its last run, so it left out a box's last character: "23" for 236, and nothing at all for
// a box that holds one digit. Qt's own interface for a QLineEdit is not public, so this one stands
// in for it on every Qt.
class BoxAccessible : public QAccessibleWidget,
                      public QAccessibleTextInterface,
                      public QAccessibleEditableTextInterface {
public:
    explicit BoxAccessible(QLineEdit* box);

    void* interface_cast(QAccessible::InterfaceType type) override;
    QAccessible::State state() const override;
    QString text(QAccessible::Text type) const override;
    void setText(QAccessible::Text type, const QString& text) override;

    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

    void deleteText(int startOffset, int endOffset) override;
    void insertText(int offset, const QString& text) override;
    void replaceText(int startOffset, int endOffset, const QString& text) override;

private:
    QLineEdit* Box() const;
};
