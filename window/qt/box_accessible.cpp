#include "box_accessible.h"

#include <QFontMetrics>
#include <QLineEdit>

BoxAccessible::BoxAccessible(QLineEdit* box) : QAccessibleWidget(box, QAccessible::EditableText) {}

QLineEdit* BoxAccessible::Box() const
{
    return static_cast<QLineEdit*>(widget());
}

void* BoxAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface*>(this);
    if (type == QAccessible::EditableTextInterface)
        return static_cast<QAccessibleEditableTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QAccessible::State BoxAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.editable = !Box()->isReadOnly();
    state.readOnly = Box()->isReadOnly();
    state.selectableText = true;
    return state;
}

QString BoxAccessible::text(QAccessible::Text type) const
{
    return type == QAccessible::Value ? Box()->text() : QAccessibleWidget::text(type);
}

void BoxAccessible::setText(QAccessible::Text type, const QString& text)
{
    if (type == QAccessible::Value)
        Box()->setText(text);
    else
        QAccessibleWidget::setText(type, text);
}

void BoxAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const
{
    const bool selected = selectionIndex == 0 && Box()->hasSelectedText();
    *startOffset = selected ? Box()->selectionStart() : 0;
    *endOffset = selected ? Box()->selectionEnd() : 0;
}

int BoxAccessible::selectionCount() const
{
    return Box()->hasSelectedText() ? 1 : 0;
}

// A box has one selection at most: adding one replaces it.
void BoxAccessible::addSelection(int startOffset, int endOffset)
{
    setSelection(0, startOffset, endOffset);
}

void BoxAccessible::removeSelection(int selectionIndex)
{
    if (selectionIndex == 0)
        Box()->deselect();
}

void BoxAccessible::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex == 0)
        Box()->setSelection(startOffset, endOffset - startOffset);
}

int BoxAccessible::cursorPosition() const
{
    return Box()->cursorPosition();
}

void BoxAccessible::setCursorPosition(int position)
{
    Box()->setCursorPosition(position);
}

QString BoxAccessible::text(int startOffset, int endOffset) const
{
    if (startOffset < 0 || endOffset < startOffset)
        return {};
    return Box()->text().mid(startOffset, endOffset - startOffset);
}

int BoxAccessible::characterCount() const
{
    return static_cast<int>(Box()->text().size());
}

// On the screen, measured from where the caret is drawn, the one place that QLineEdit tells.
QRect BoxAccessible::characterRect(int offset) const
{
    const QLineEdit* box = Box();
    const QString text = box->text();
    if (offset < 0 || offset >= text.size())
        return {};
    const QFontMetrics metrics(box->font());
    const QRect caret = box->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    const int left = caret.left() + metrics.horizontalAdvance(text.left(offset)) -
                     metrics.horizontalAdvance(text.left(box->cursorPosition()));
    const QRect place(left, caret.top(), metrics.horizontalAdvance(text.mid(offset, 1)),
                      caret.height());
    return {box->mapToGlobal(place.topLeft()), place.size()};
}

int BoxAccessible::offsetAtPoint(const QPoint& point) const
{
    return Box()->cursorPositionAt(Box()->mapFromGlobal(point));
}

void BoxAccessible::scrollToSubstring(int startIndex, int endIndex)
{
    Box()->setCursorPosition(endIndex);
    Box()->setCursorPosition(startIndex);
}

QString BoxAccessible::attributes(int, int* startOffset, int* endOffset) const
{
    *startOffset = 0;
    *endOffset = characterCount();
    return {};
}

void BoxAccessible::deleteText(int startOffset, int endOffset)
{
    replaceText(startOffset, endOffset, QString());
}

void BoxAccessible::insertText(int offset, const QString& text)
{
    replaceText(offset, offset, text);
}

// As typing would: through the box's own editing, so that it can be undone.
void BoxAccessible::replaceText(int startOffset, int endOffset, const QString& text)
{
    Box()->setCursorPosition(startOffset);
    Box()->cursorForward(true, endOffset - startOffset);
    Box()->insert(text);
}
