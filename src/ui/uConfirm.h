// Confirmation questions: a modal Yes/No question with the caption "Confirm"
// and English buttons whatever the desktop's language.  "Yes" is the default
// button (Enter); Esc answers "No".
#pragma once

#include <QString>

class QWidget;

// A text of ours may hold "\r\n" for a line break; shown as one line break.
QString displayText(const QString& text);

// Asks text; true on "Yes".
bool askConfirm(QWidget* parent, const QString& text);
