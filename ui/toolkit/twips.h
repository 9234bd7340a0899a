#pragma once

class QWidget;

namespace nodrel {

// Window layouts are given in twips: 15 twips make one logical pixel at 96 dots per inch.
inline constexpr int kTwipsPerPixel = 15;

int Px(int twips);
// One edge of a centred window: the difference between screen and window, rounded to an integer
// with halves to even, halved truncating toward zero. Values in twips.
int CentraBordo(double differenza);
// Places a window, by its outer frame, in the middle of its screen.
void CentraFinestra(QWidget* finestra);

}  // namespace nodrel
