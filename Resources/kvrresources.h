// The icons (":/images/Resources/png/...") and the Chinese translation of
// Qt's dialogs (":/language/qt_zh_CN.qm") compiled into the program.
#pragma once

// Registers the resources; safe to call more than once. Executables and tests
// that load icons call it before the first use.
void initKvrResources();
