#pragma once

#include <QAction>
#include <QMenu>
#include <QStringList>

// A menu's items by their texts, separators left out.
inline QStringList itemTexts(const QMenu& menu)
{
    QStringList texts;
    for (const QAction* action : menu.actions())
        if (!action->isSeparator()) texts << action->text();
    return texts;
}

// The item of that text; null when there is none.
inline QAction* item(const QMenu& menu, const QString& text)
{
    for (QAction* action : menu.actions())
        if (action->text() == text) return action;
    return nullptr;
}

// The items of a menu that are checked, by their texts.
inline QStringList checkedTexts(const QMenu& menu)
{
    QStringList texts;
    for (const QAction* action : menu.actions())
        if (action->isChecked()) texts << action->text();
    return texts;
}
