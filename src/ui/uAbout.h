// "About": the entry of the main window's menu that shows which version of
// the program runs, for the operator who has to tell which updater is on
// which PC.  The menu's own entries keep their captions.
#pragma once

#include <QString>

class QAction;
class QMenu;
class QWidget;

// The text of the About window: product, version (with the commit it was
// built from), maker and the Qt version the program runs on.
QString aboutText();

// Puts the entry "About" into menu, just before the entry before (the menu's
// last entry, "Exit"), and returns it.  Triggering it shows the About window
// modally over window.
QAction* insertAboutEntry(QMenu* menu, QAction* before, QWidget* window);

// Shows the About window modally over parent; returns when it is closed.
void showAbout(QWidget* parent);
