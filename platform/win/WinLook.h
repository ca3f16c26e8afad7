#pragma once
// The look every program and every test shares: the Fusion style, the system colours' palette
// of the stand-in, and the fonts that the system's font names stand for (Tahoma, Arial,
// MS Sans Serif... are DejaVu Sans; Courier New is DejaVu Sans Mono; Times New Roman is
// DejaVu Serif), with DejaVu Sans 8 as the default font. Tests see what users see.

// Call once, after the QApplication exists and before the first window is made.
void ApplyStandardLook();

// The controls show and read numbers with a decimal point whatever the user's locale; the
// programs format numbers themselves.
void UseCNumberFormatsInControls();
