#pragma once

#include <QAction>
#include <QMenu>
#include <QWidget>

// Menus and items as the user finds them: by their captions, whatever the window calls them inside.
inline QMenu* menuTitled(const QWidget& window, const QString& title) {
    for (QMenu* menu : window.findChildren<QMenu*>())
        if (menu->title() == title)
            return menu;
    return nullptr;
}

inline QAction* menuItem(const QWidget& window, const QString& menu, const QString& caption) {
    if (QMenu* m = menuTitled(window, menu))
        for (QAction* item : m->actions())
            if (item->text() == caption)
                return item;
    return nullptr;
}
