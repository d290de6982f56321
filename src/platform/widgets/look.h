#pragma once

#include <QFont>

// The program's font: "宋体", 12 pixels high.
QFont programFont();

// Qt's own texts in Simplified Chinese (file dialogs, the line edits' menu, the calendar's
// month and day names, Qt's file error texts), and the Chinese locale for date widgets.
// False when Qt's Chinese translation is not installed: the program then shows Qt's English.
bool useChineseInterface();

// The look of every window: the Fusion style, a free Song-style face standing in for "宋体"
// as the application font, and the Chinese interface.
void applyProgramLook();
