#pragma once
// Menu items and sub-menus named as the window's code finds them.
#include <QAction>
#include <QMenu>
#include <QString>

inline QAction* MenuItem(QMenu* menu, const char* name, const char* caption, bool checkable = false,
                         bool checked = false) {
  QAction* a = menu->addAction(QString::fromLatin1(caption));
  a->setObjectName(QString::fromLatin1(name));
  a->setCheckable(checkable);
  a->setChecked(checked);
  return a;
}

// A sub-menu of a menu or of the menu bar; the menu and its item share the name.
template <typename Parent>
QMenu* SubMenu(Parent* parent, const char* name, const char* caption) {
  QMenu* m = parent->addMenu(QString::fromLatin1(caption));
  m->setObjectName(QString::fromLatin1(name));
  m->menuAction()->setObjectName(QString::fromLatin1(name));
  return m;
}
