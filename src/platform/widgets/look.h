#pragma once

#include <QFont>

// The program's font: "宋体", 12 pixels high.
QFont programFont();

// The look of every window: the Fusion style, and a free Song-style face standing in for
// "宋体" as the application font.
void applyProgramLook();
